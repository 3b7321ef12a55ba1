#include "JsonReport.h"

#include "CommandLineRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

// One line of JSON on standard output, the event's name first so that a reader sees at once
// what follows.
void writeJsonEvent(const QString& event, const QJsonObject& fields)
{
    QByteArray line =
        QJsonDocument(QJsonObject{{QStringLiteral("event"), event}}).toJson(QJsonDocument::Compact);
    if (!fields.isEmpty()) {
        line.chop(1); // the closing brace
        line += ',' + QJsonDocument(fields).toJson(QJsonDocument::Compact).mid(1);
    }
    std::fputs(line.append('\n').constData(), stdout);
    std::fflush(stdout);
}

QJsonValue orNull(const QString& text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QJsonValue orNull(std::optional<double> seconds)
{
    return seconds ? QJsonValue(*seconds) : QJsonValue();
}

void message(const QString& kind, const QString& caption, const QString& text,
             QJsonObject more = {})
{
    more.insert(QStringLiteral("kind"), kind);
    more.insert(QStringLiteral("caption"), caption);
    more.insert(QStringLiteral("text"), text);
    writeJsonEvent(QStringLiteral("message"), more);
}

QString outcomeOf(const RunEnd& end)
{
    switch (end.exitCode) {
    case ExitCode::kDone:
        return end.checkOnly ? QStringLiteral("checked") : QStringLiteral("completed");
    case ExitCode::kJoinedWithFault:
        return QStringLiteral("completed-with-remark");
    case ExitCode::kStopped:
        return QStringLiteral("stopped");
    case ExitCode::kRefused:
        return QStringLiteral("refused");
    default:
        return QStringLiteral("failed");
    }
}

} // namespace

void JsonMessages::info(QWidget*, const QString& caption, const QString& text)
{
    message(QStringLiteral("info"), caption, text);
}

void JsonMessages::infoWithDetails(QWidget*, const QString& caption, const QString& text,
                                   const QString& details)
{
    message(QStringLiteral("info"), caption, text, {{QStringLiteral("details"), details}});
}

void JsonMessages::errorWithDetails(QWidget*, const QString& caption, const QString& text,
                                    const QString& details)
{
    message(QStringLiteral("error"), caption, text, {{QStringLiteral("details"), details}});
}

bool JsonMessages::ask(QWidget*, const QString& caption, const QString& text)
{
    const std::optional<QString> why = noInAdvance(caption);
    message(QStringLiteral("question"), caption, why ? *why : text,
            {{QStringLiteral("answer"), QStringLiteral("no")}});
    return false;
}

void JsonMessages::error(QWidget*, const QString& text)
{
    message(QStringLiteral("error"), QStringLiteral("Error"), text);
}

void JsonMessages::plain(const QString& title, const QString& text)
{
    message(QStringLiteral("error"), title, text);
}

void JsonReport::progress(const ProgressStep& step)
{
    writeJsonEvent(QStringLiteral("progress"), {{QStringLiteral("stage"), step.title},
                                                {QStringLiteral("total"), step.total},
                                                {QStringLiteral("current"), step.current},
                                                {QStringLiteral("file"), orNull(step.file)},
                                                {QStringLiteral("elapsed"), step.elapsed},
                                                {QStringLiteral("remaining"), step.remaining}});
}

void JsonReport::completed(const JobOutcome& outcome)
{
    message(QStringLiteral("info"), QStringLiteral("Complete"), completionText(outcome));
}

void JsonReport::plan(const CheckPlan& plan)
{
    QJsonArray inputs;
    for (const CheckPlan::Input& input : plan.inputs)
        inputs.append(
            QJsonObject{{QStringLiteral("path"), input.path},
                        {QStringLiteral("length"), input.length},
                        {QStringLiteral("seconds"),
                         orNull(input.seconds >= 0 ? std::optional(input.seconds) : std::nullopt)},
                        {QStringLiteral("size"), input.size},
                        {QStringLiteral("in"), orNull(input.inPoint)},
                        {QStringLiteral("out"), orNull(input.outPoint)}});
    static const char* const videos[] = {"copy", "one-pass", "two-stages"};
    static const char* const existing[] = {"", "ask", "overwrite", "rename"};
    writeJsonEvent(
        QStringLiteral("plan"),
        {{QStringLiteral("inputs"), inputs},
         {QStringLiteral("video"), QLatin1String(videos[int(plan.video)])},
         {QStringLiteral("output"), plan.output},
         {QStringLiteral("written"), plan.written},
         {QStringLiteral("if_exists"), orNull(QLatin1String(existing[int(plan.existing)]))},
         {QStringLiteral("container"), plan.container},
         {QStringLiteral("profile"), plan.profile},
         {QStringLiteral("size"), orNull(plan.size)},
         {QStringLiteral("frame_rate"), orNull(plan.frameRate)}});
}

void JsonReport::end(const RunEnd& end)
{
    const JobOutcome job = end.job.value_or(JobOutcome());
    // What the check of the joined video compared, in seconds.
    std::optional<double> outputLength;
    std::optional<double> inputsLength;
    if (job.check) {
        outputLength = ResultCheck::outputLength(*job.check);
        inputsLength = job.check->expectedLength;
    }
    writeJsonEvent(
        QStringLiteral("end"),
        {{QStringLiteral("outcome"), outcomeOf(end)},
         {QStringLiteral("exit_code"), end.exitCode},
         {QStringLiteral("output"), orNull(job.writtenPath)},
         {QStringLiteral("output_length"), orNull(outputLength)},
         {QStringLiteral("inputs_length"), orNull(inputsLength)},
         {QStringLiteral("remarks"), job.remark.isEmpty() ? QJsonArray() : QJsonArray{job.remark}},
         {QStringLiteral("log"), orNull(job.keptLogPath)}});
}

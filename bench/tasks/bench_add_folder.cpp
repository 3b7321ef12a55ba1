// Adds a folder of 500 small clips to the main window's task list, as a drop of the folder, and
// compares the seconds per file with libmediainfo's probe of the same files alone.
// Run on the offscreen platform: QT_QPA_PLATFORM=offscreen build/bench/tasks/bench_add_folder

#include "support/RecordingSeams.h"
#include "tasks/MediaInfoDll.h"
#include "ui/TMainForm.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 500;

// One tiny clip made by ffmpeg, copied 500 times; kept between runs.
QString folderOfClips()
{
    const QString folder = QStringLiteral(VANTOMEL_BENCH_CLIPS);
    QDir dir(folder);
    if (dir.entryList({"*.avi"}, QDir::Files).size() == kFiles)
        return folder;
    dir.mkpath(".");
    const QString first = dir.filePath("clip000.avi");
    const int made = QProcess::execute(
        "ffmpeg", {"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                   "testsrc=size=64x48:rate=10:duration=1", "-f", "lavfi", "-i", "sine=duration=1",
                   "-c:v", "mpeg4", "-c:a", "libmp3lame", first});
    if (made != 0)
        qFatal("ffmpeg could not make the clip");
    for (int i = 1; i < kFiles; ++i)
        QFile::copy(first, dir.filePath(QString("clip%1.avi").arg(i, 3, 10, QChar('0'))));
    return folder;
}

// What the library costs alone: the calls a probe makes, nothing else.
double probeAloneSeconds(const QStringList& paths)
{
    QElapsedTimer timer;
    timer.start();
    for (const QString& path : paths) {
        void* handle = MediaInfo_New();
        MediaInfo_Open(handle, path.toStdWString().c_str());
        std::wstring values[3];
        values[0] = MediaInfo_Get(handle, MediaInfo_Stream_General, 0, L"PlayTime",
                                  MediaInfo_Info_Text, MediaInfo_Info_Name);
        values[1] = MediaInfo_Get(handle, MediaInfo_Stream_Video, 0, L"Width", MediaInfo_Info_Text,
                                  MediaInfo_Info_Name);
        values[2] = MediaInfo_Get(handle, MediaInfo_Stream_Video, 0, L"Height", MediaInfo_Info_Text,
                                  MediaInfo_Info_Name);
        MediaInfo_Close(handle);
        MediaInfo_Delete(handle);
        if (values[0].empty())
            qFatal("probe failed");
    }
    return timer.nsecsElapsed() / 1e9;
}

// The whole add: a drop of the folder on a shown main window, events handled between files.
double addFolderSeconds(const QString& folder)
{
    RecordingSeams doubles;
    TMainForm form(doubles.seams(), InitProgramInfo(QStringLiteral("1.5")),
                   portablePlaces(QDir::tempPath() + QLatin1Char('/')));
    form.show();
    if (!QTest::qWaitForWindowExposed(&form))
        qFatal("window not shown");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(folder)});
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QElapsedTimer timer;
    timer.start();
    static_cast<QObject*>(&form)->event(&drop);
    const double seconds = timer.nsecsElapsed() / 1e9;
    if (form.taskList().rowCount() != kFiles || !doubles.messages.shown.isEmpty())
        qFatal("the add did not list every clip");
    return seconds;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const QString folder = folderOfClips();
    QStringList paths;
    for (const QString& name : QDir(folder).entryList({"*.avi"}, QDir::Files, QDir::Name))
        paths << QDir(folder).filePath(name);

    probeAloneSeconds(paths); // warm the file cache
    std::vector<double> add;
    std::vector<double> probe;
    for (int round = 0; round < 5; ++round) {
        add.push_back(addFolderSeconds(folder) / kFiles);
        probe.push_back(probeAloneSeconds(paths) / kFiles);
    }
    const double addPerFile = median(add);
    const double probePerFile = median(probe);
    std::printf("files: %d, rounds: 5 (medians)\n", kFiles);
    std::printf("whole add:   %.6f s per file\n", addPerFile);
    std::printf("probe alone: %.6f s per file\n", probePerFile);
    std::printf("ratio:       %.3f (target at most 1.2)\n", addPerFile / probePerFile);
    return 0;
}

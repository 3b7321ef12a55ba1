// Renders the program's scalable icon as PNG pictures of the sizes the icon theme wants.
// Usage: render-icon ICON.svg OUTPUT-FOLDER SIZE... -> OUTPUT-FOLDER/SIZExSIZE.png
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: render-icon ICON.svg OUTPUT-FOLDER SIZE...\n");
        return 2;
    }
    for (const QString& sizeText : arguments.mid(3)) {
        const int size = sizeText.toInt();
        QImageReader reader(arguments[1]);
        reader.setScaledSize(QSize(size, size));
        const QImage picture = reader.read();
        const QString output = arguments[2] + QStringLiteral("/%1x%1.png").arg(size);
        if (picture.isNull() || !picture.save(output)) {
            std::fprintf(stderr, "render-icon: %s: %s\n", qPrintable(output),
                         qPrintable(reader.errorString()));
            return 1;
        }
    }
    return 0;
}

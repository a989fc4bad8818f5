// tarvex-manual: renders an HTML document into an A4 PDF with page numbers.
//
//   tarvex-manual SOURCE.html OUTPUT.pdf
//
// Run with QT_QPA_PLATFORM=offscreen on machines without a display, and with
// QT_HASH_SEED=0 so the fonts are written in the same order every time. The PDF's
// creation date is replaced by a fixed one, so the same source always gives
// the same file.

#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>

#include <cstdio>

namespace {

int fail(const QString& message)
{
    std::fprintf(stderr, "tarvex-manual: %s\n", qPrintable(message));
    return 1;
}

// Overwrites the date of "/CreationDate (D:...)" with a fixed date of the same
// length, which keeps every byte offset of the file valid.
QByteArray withFixedDate(QByteArray pdf)
{
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:([^)]*)\\)"));
    const QString text = QString::fromLatin1(pdf.constData(), pdf.size()); // the PDF holds NUL bytes
    QRegularExpressionMatchIterator it = date.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QByteArray fixed = QByteArrayLiteral("20240101000000");
        fixed = fixed.leftJustified(m.capturedLength(1), '0', true);
        pdf.replace(m.capturedStart(1), m.capturedLength(1), fixed);
    }
    return pdf;
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: tarvex-manual SOURCE.html OUTPUT.pdf"));

    QFile source(args.at(1));
    if (!source.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("cannot read ") + args.at(1));
    const QString html = QString::fromUtf8(source.readAll());

    const QString output = args.at(2);
    {
        QPdfWriter writer(output);
        writer.setTitle(QStringLiteral("Tarvex User Manual"));
        writer.setCreator(QStringLiteral("Tarvex Code Generator"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(18, 16, 18, 16), QPageLayout::Millimeter));

        QTextDocument document;
        document.setDefaultFont(QFont(QStringLiteral("DejaVu Sans"), 10));
        document.setHtml(html);
        // print() lays the text out on the writer's pages and numbers them.
        document.print(&writer);
    }

    QFile pdf(output);
    if (!pdf.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("no PDF was written to ") + output);
    const QByteArray bytes = withFixedDate(pdf.readAll());
    pdf.close();
    if (!bytes.startsWith("%PDF-") || !pdf.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        pdf.write(bytes) != bytes.size())
        return fail(QStringLiteral("cannot write ") + output);
    return 0;
}

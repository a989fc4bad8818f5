// Manager file assembly: the banner, one-pass placeholder replacement, the
// order and joining of fragments, Getting Started's missing include line, the
// library folder, and the extern "C" stripping for C projects. The expected
// texts are built from the templates' lines (whose bytes the code bundle test
// pins).

#include "fileutil.h"
#include "managerassembly.h"
#include "modulecatalogue.h"
#include "testsupport.h"

#include <QTest>
#include <QVector>

namespace {

QStringList templateLines(const char* name)
{
    QStringList lines = readResourceText(QStringLiteral(":/code/resources/code/") + QLatin1String(name))
                            .split(QLatin1Char('\n'));
    lines.removeLast(); // the empty rest after the last line end
    return lines;
}

// The two templates with their placeholders.
QStringList headerTemplate()
{
    return templateLines("gsm_manager.h");
}

QStringList sourceTemplate()
{
    return templateLines("gsm_manager.c");
}

// The template text with each placeholder line replaced by its fill (a fill
// brings its own line ends, so the placeholder's line end stays).
QString filled(const QStringList& templateLines, const QStringList& fills)
{
    QString out;
    for (const QString& line : templateLines) {
        if (line.size() == 2 && line.at(0) == QLatin1Char('%'))
            out += fills.at(line.at(1).digitValue() - 1);
        else
            out += line;
        out += QLatin1Char('\n');
    }
    return out;
}

QStringList emptyFills()
{
    return QVector<QString>(8).toList();
}

QString fileHeader()
{
    return fileHeaderLines().join(QString());
}

// A module (with Base = Getting Started: the start module) whose every
// fragment is a recognisable text, or empty for an empty tag; every
// fragment operation is counted.
template <class Base = TarvexMdl>
class Fake : public Base
{
public:
    explicit Fake(const QString& tag, const QString& name = QString())
        : mTag(tag)
        , mName(name.isNull() ? tag : name)
    {
    }
    QString getName() const override { return mName; }
    QString getHeaderInclude() const override { return count(0, "/" + mTag + ".h\"\n"); }
    QString getHeaderPrototypes() const override { return count(1, mTag + "_proto\n"); }
    QString getSourceIncludes() const override { return count(2, mTag + "_inc\n"); }
    QString getGeneralVariables() const override { return count(3, mTag + "_var\n"); }
    QString getInstanceVariables() const override { return count(4, mTag + "_inst\n"); }
    QString getGeneralCallbackFunctions() const override { return count(5, mTag + "_gcb\n"); }
    QString getEventCallbackFunctions() const override { return count(6, mTag + "_ecb\n"); }
    QString getInitCode() const override { return count(7, "    " + mTag + "_init\n"); }
    QString getPollCode() const override { return count(8, "    " + mTag + "_poll\n"); }
    QString getConvenienceFunctions() const override { return count(9, mTag + "_conv\n"); }

    mutable int calls[10] = {};

private:
    QString count(int i, const QString& text) const
    {
        ++calls[i];
        return mTag.isEmpty() ? QString() : text;
    }
    QString mTag;
    QString mName;
};
using FakeModule = Fake<>;
// Getting Started by class (its name is not the empty one here); its include
// line must never be used.
using FakeGettingStarted = Fake<TarvexMdl_GettingStarted>;

// A module whose fragments look like placeholders or carry their own wrapper.
class TrickyModule : public TarvexMdl
{
public:
    QString getHeaderInclude() const override { return QStringLiteral("/Tricky%1.h\"\n"); }
    QString getHeaderPrototypes() const override
    {
        return QStringLiteral("extern \"C\" {\nint tricky(void);\n} // extern \"C\"\n");
    }
    QString getInstanceVariables() const override { return QStringLiteral("char fmt[] = \"%3 %1 %8 %%2\";\n"); }
    QString getInitCode() const override { return QStringLiteral("    printf(\"%2%9\");\n"); }
};

} // namespace

class TestAssembly : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { testsupport::installStrictMessageHandler(); }

    void banner_hasTheFixedShape()
    {
        const QStringList lines = fileHeaderLines();
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1), QStringLiteral("\n"));

        const QString banner = lines.at(0);
        QVERIFY(banner.endsWith(QStringLiteral("*/\n\n")));
        const QStringList bannerLines = banner.split(QLatin1Char('\n'));
        // 17 comment lines, the empty line, and the empty rest after the last LF.
        QCOMPARE(bannerLines.size(), 19);
        QCOMPARE(bannerLines.at(0), QStringLiteral("/*"));
        QCOMPARE(bannerLines.at(16), QStringLiteral("*/"));
        QCOMPARE(bannerLines.at(17), QString());
        QCOMPARE(bannerLines.at(18), QString());
        for (int i = 1; i <= 15; ++i) {
            const QString& line = bannerLines.at(i);
            QVERIFY2(line == QLatin1String("*") || (line.startsWith(QLatin1String("* ")) && line.size() > 2),
                     qPrintable(line));
            QVERIFY2(!line.endsWith(QLatin1Char(' ')), qPrintable(line));
            QVERIFY2(!line.contains(QLatin1String("*/")) && !line.contains(QLatin1String("/*")),
                     qPrintable(line));
        }
        QVERIFY(banner.contains(QLatin1String("Tarvex")));
        QVERIFY(banner.contains(QLatin1String("LICENSE.txt")));
        // The merge of earlier manager files looks for these markers.
        QVERIFY(!banner.contains(QLatin1String("USER CODE BEGIN")));
        QVERIFY(!banner.contains(QLatin1String("USER CODE END")));
        for (QChar c : banner)
            QVERIFY(c.unicode() < 0x80);
    }

    void placeholders_areReplacedInOnePass()
    {
        const QStringList args = {QStringLiteral("[%2]"), QStringLiteral("<%1>")};
        QCOMPARE(replacePlaceholders(QStringLiteral("%1|%2|%3|%0|%12|%|50%"), args),
                 QStringLiteral("[%2]|<%1>|%3|%0|%12|%|50%"));
        QCOMPARE(replacePlaceholders(QStringLiteral("%%1%"), args), QStringLiteral("%[%2]%"));
        QCOMPARE(replacePlaceholders(QStringLiteral("%2%1"), args), QStringLiteral("<%1>[%2]"));
        QCOMPARE(replacePlaceholders(QString(), args), QString());
    }

    void cpp_fillsEveryPlaceholderInOrderAndKeepsTheWrappers()
    {
        FakeGettingStarted start(QStringLiteral("gs"));
        FakeModule a(QStringLiteral("A")), b(QStringLiteral("B"));
        const ManagerTexts texts = buildManagerTexts({&start, &a, &b}, QStringLiteral("Tarvex"), true);

        const QString expectedHeader =
            fileHeader() + filled(headerTemplate(), {"#include \"Tarvex/A.h\"\n#include \"Tarvex/B.h\"\n",
                                                    "gs_proto\nA_proto\nB_proto\n"});
        const QString expectedSource = fileHeader() +
                                       filled(sourceTemplate(), {"gs_inc\nA_inc\nB_inc\n", "gs_var\nA_var\nB_var\n",
                                                                 "gs_inst\nA_inst\nB_inst\n", "gs_gcb\nA_gcb\nB_gcb\n",
                                                                 "gs_ecb\nA_ecb\nB_ecb\n",
                                                                 "    gs_init\n    A_init\n    B_init\n",
                                                                 "    gs_poll\n    A_poll\n    B_poll\n",
                                                                 "gs_conv\nA_conv\nB_conv\n"});
        QCOMPARE(texts.header, expectedHeader);
        QCOMPARE(texts.source, expectedSource);

        QCOMPARE(texts.header.count(QLatin1String("extern \"C\" {")), 1);
        QCOMPARE(texts.header.count(QLatin1String("} // extern \"C\"")), 1);
        QCOMPARE(texts.source.count(QLatin1String("extern \"C\" {")), 2);
        QCOMPARE(texts.source.count(QLatin1String("} // extern \"C\"")), 2);

        // Every fragment operation runs exactly once per module (Getting
        // Started's include line is never asked for, or dropped).
        for (const FakeModule* m : {&a, &b})
            for (int calls : m->calls)
                QCOMPARE(calls, 1);
        QVERIFY(!texts.header.contains(QLatin1String("gs.h")));
    }

    void c_stripsTheWrappersWithTheirWhiteSpace()
    {
        FakeGettingStarted start(QStringLiteral("gs"));
        FakeModule a(QStringLiteral("A"));
        const ManagerTexts texts = buildManagerTexts({&start, &a}, QStringLiteral("Tarvex"), false);

        QVERIFY(texts.header.startsWith(fileHeader() + QStringLiteral("#ifndef INC_GSM_MANAGER_H_\n")));
        QVERIFY(texts.header.contains(QStringLiteral("#include <stdbool.h>\n"
                                                     "#include \"Tarvex/A.h\"\n"
                                                     "// USER CODE BEGIN Includes\n")));
        QVERIFY(texts.source.contains(QStringLiteral("#include \"gsm_manager.h\"\n"
                                                     "gs_inc\nA_inc\n"
                                                     "\n"
                                                     "// USER CODE BEGIN Includes\n")));
        QVERIFY(texts.source.contains(QStringLiteral("////////////\n"
                                                     "\n"
                                                     "uint32_t gsm__SysTime_ms() {\n")));
        QVERIFY(texts.source.contains(QStringLiteral("    // USER CODE END SysTime_ms\n"
                                                     "}\n"
                                                     "\n"
                                                     "////////////\n"
                                                     "// --- Tarvex Module General Callback Functions ---\n")));
        for (const QString& text : {texts.header, texts.source}) {
            QVERIFY(!text.contains(QLatin1String("extern \"C\"")));
            QVERIFY(!text.contains(QLatin1String("} //")));
        }
        // Whole header: the include area collapses to the include lines.
        QStringList header = headerTemplate();
        header.removeAll(QStringLiteral("extern \"C\" {"));
        header.removeAll(QStringLiteral("} // extern \"C\""));
        const QString expected = fileHeader() + filled(header, {"#include \"Tarvex/A.h\"", "gs_proto\nA_proto\n"});
        QCOMPARE(texts.header.split(QLatin1Char('\n')), expected.split(QLatin1Char('\n')));
    }

    void emptySelection_givesTheBareTemplates()
    {
        FakeGettingStarted start(QString(""));
        const ManagerTexts c = buildManagerTexts({&start}, QStringLiteral("Tarvex"), false);

        QStringList header = headerTemplate();
        header.removeAll(QStringLiteral("extern \"C\" {"));
        header.removeAll(QStringLiteral("%1"));
        header.removeAll(QStringLiteral("} // extern \"C\""));
        QCOMPARE(c.header, fileHeader() + filled(header, {QString(), QString()}));
        QVERIFY(c.header.contains(QStringLiteral("#include <stdbool.h>\n// USER CODE BEGIN Includes\n")));

        // Source: the opening wrapper goes with the empty include area up to
        // the closing wrapper, which takes the line break before it.
        QStringList source = sourceTemplate();
        source.removeAt(source.indexOf(QStringLiteral("%1")));
        source.removeAll(QStringLiteral("extern \"C\" {"));
        source.removeAll(QStringLiteral("} // extern \"C\""));
        QCOMPARE(c.source, fileHeader() + filled(source, emptyFills()));

        const ManagerTexts cpp = buildManagerTexts({&start}, QStringLiteral("Tarvex"), true);
        QCOMPARE(cpp.header, fileHeader() + filled(headerTemplate(), {QString(), QString()}));
        QCOMPARE(cpp.source, fileHeader() + filled(sourceTemplate(), emptyFills()));
    }

    void gettingStarted_neverYieldsAnIncludeLine_byClassNotByName()
    {
        FakeGettingStarted start(QStringLiteral("gs"));
        // An ordinary module that happens to have the empty name still gets its line.
        FakeModule nameless(QStringLiteral("Nameless"), QStringLiteral(""));
        QVERIFY(nameless.getName().isEmpty());
        const ManagerTexts texts = buildManagerTexts({&start, &nameless}, QStringLiteral("Tarvex"), true);
        QVERIFY(!texts.header.contains(QLatin1String("gs.h")));
        QVERIFY(texts.header.contains(QLatin1String("extern \"C\" {\n#include \"Tarvex/Nameless.h\"\n\n} // extern")));
        QVERIFY(texts.header.contains(QLatin1String("gs_proto\nNameless_proto\n")));
    }

    void fragmentsLookingLikePlaceholders_areCopiedUnchanged()
    {
        FakeGettingStarted start(QString(""));
        TrickyModule tricky;
        const ManagerTexts cpp = buildManagerTexts({&start, &tricky}, QStringLiteral("Tarvex"), true);
        QVERIFY(cpp.header.contains(QLatin1String("#include \"Tarvex/Tricky%1.h\"\n")));
        QVERIFY(cpp.source.contains(QLatin1String("\nchar fmt[] = \"%3 %1 %8 %%2\";\n\n")));
        QVERIFY(cpp.source.contains(QLatin1String("void gsmmgrInit() {\n    printf(\"%2%9\");\n")));
        // A fragment's own extern "C" block stays in C++ and is unwrapped in C.
        QVERIFY(cpp.header.contains(QLatin1String("extern \"C\" {\nint tricky(void);\n} // extern \"C\"\n")));
        const ManagerTexts c = buildManagerTexts({&start, &tricky}, QStringLiteral("Tarvex"), false);
        QVERIFY(c.header.contains(QLatin1String("extern void gsmmgrPoll();\nint tricky(void);\n\n"
                                                "// USER CODE BEGIN Function Prototypes")));
        QVERIFY(!c.header.contains(QLatin1String("extern \"C\"")));
    }

    void realCatalogue_arduinoIncludeLinesInDeclarationOrder()
    {
        ModuleCatalogue catalogue;
        const QList<TarvexMdl*> all = catalogue.allModules();
        const ManagerTexts texts = buildManagerTexts(all, generationLibraryFolder(true, true), true);
        const QString includes = QStringLiteral(
            "extern \"C\" {\n"
            "#include \"src/Tarvex/GSM_Power.h\"\n"
            "#include \"src/Tarvex/GSM_Prompt.h\"\n"
            "#include \"src/Tarvex/GSM_BasicComms.h\"\n"
            "#include \"src/Tarvex/GSM_PIN.h\"\n"
            "#include \"src/Tarvex/GSM_SignalQuality.h\"\n"
            "#include \"src/Tarvex/GSM_NetworkRegistration.h\"\n"
            "#include \"src/Tarvex/GSM_SMS_Send.h\"\n"
            "#include \"src/Tarvex/GSM_SMS_Read.h\"\n"
            "#include \"src/Tarvex/GSM_USSD.h\"\n"
            "#include \"src/Tarvex/GSM_InternetConnection_Simcom.h\"\n"
            "#include \"src/Tarvex/GSM_InternetConnection_Simcom2G.h\"\n"
            "#include \"src/Tarvex/GSM_HttpClient_Simcom.h\"\n"
            "#include \"src/Tarvex/GSM_MqttClient_Simcom.h\"\n"
            "\n"
            "} // extern \"C\"\n");
        QVERIFY2(texts.header.contains(includes), qPrintable(texts.header.left(1500)));
        QCOMPARE(texts.header.count(QLatin1String("#include \"")), 13);
        // The whole source text is the fragments of every module, each kind
        // concatenated in the list's order.
        QStringList fills = emptyFills();
        for (TarvexMdl* m : all) {
            fills[0] += m->getSourceIncludes();
            fills[1] += m->getGeneralVariables();
            fills[2] += m->getInstanceVariables();
            fills[3] += m->getGeneralCallbackFunctions();
            fills[4] += m->getEventCallbackFunctions();
            fills[5] += m->getInitCode();
            fills[6] += m->getPollCode();
            fills[7] += m->getConvenienceFunctions();
        }
        QCOMPARE(texts.source, fileHeader() + filled(sourceTemplate(), fills));
    }
};

QTEST_GUILESS_MAIN(TestAssembly)
#include "tst_assembly.moc"

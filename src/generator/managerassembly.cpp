#include "managerassembly.h"

#include "fileutil.h"
#include "tarvexmdl.h"
#include "tarvexmdl_gettingstarted.h"

#include <QRegularExpression>

const char* const kManagerHeaderTemplate = ":/code/resources/code/gsm_manager.h";
const char* const kManagerSourceTemplate = ":/code/resources/code/gsm_manager.c";

namespace {

// 17 lines: "/*", fifteen lines that start with "*", "*/"; then one empty line.
// The text must never contain a USER CODE marker: the merge of earlier
// manager files looks for those.
const char kBanner[] = "/*\n"
                       "*\n"
                       "* Tarvex - generated file\n"
                       "*\n"
                       "* This file was written by the Tarvex Code Generator from the\n"
                       "* modules and settings chosen for this project.\n"
                       "*\n"
                       "* The Tarvex library is licensed under the terms given in\n"
                       "* LICENSE.txt, which is placed in the library folder.\n"
                       "*\n"
                       "* Generating the code again overwrites this file. In the manager\n"
                       "* files (gsm_manager.*) only the code inside the USER CODE\n"
                       "* sections is carried over; every other change is lost, and\n"
                       "* library files are replaced as a whole.\n"
                       "*\n"
                       "*\n"
                       "*/\n"
                       "\n";

} // namespace

QStringList fileHeaderLines()
{
    return {QString::fromLatin1(kBanner), QStringLiteral("\n")};
}

QString generationLibraryFolder(bool isCpp, bool isArduino)
{
    const QString libraryFolder = QStringLiteral("Tarvex");
    if (isCpp && isArduino)
        return QStringLiteral("src/") + libraryFolder;
    return libraryFolder;
}

QString replacePlaceholders(const QString& text, const QStringList& args)
{
    QString out;
    out.reserve(text.size() + 4096);
    const int n = text.size();
    int copyFrom = 0;
    for (int i = 0; i + 1 < n; ++i) {
        if (text.at(i) != QLatin1Char('%'))
            continue;
        const int digit = text.at(i + 1).digitValue();
        if (digit < 1 || digit > args.size() || digit > 9)
            continue;
        if (i + 2 < n && text.at(i + 2).isDigit())
            continue;
        out.append(text.constData() + copyFrom, i - copyFrom);
        out.append(args.at(digit - 1));
        copyFrom = i + 2;
        ++i;
    }
    out.append(text.constData() + copyFrom, n - copyFrom);
    return out;
}

ManagerTexts buildManagerTexts(const QList<TarvexMdl*>& modules, const QString& libraryFolder, bool isCpp)
{
    // Accumulators: the include lines, then one per fragment operation from
    // getHeaderPrototypes to getConvenienceFunctions.
    QString includes, prototypes, sourceIncludes, generalVariables, instanceVariables, generalCallbacks,
        eventCallbacks, initCode, pollCode, convenienceFunctions;

    const QString includePrefix = QStringLiteral("#include \"") + libraryFolder;

    for (TarvexMdl* module : modules) {
        // Getting Started is left out of the include lines by what it is, not
        // because its include text happens to be empty.
        if (!dynamic_cast<TarvexMdl_GettingStarted*>(module))
            includes += includePrefix + module->getHeaderInclude();
        prototypes += module->getHeaderPrototypes();
        sourceIncludes += module->getSourceIncludes();
        generalVariables += module->getGeneralVariables();
        instanceVariables += module->getInstanceVariables();
        generalCallbacks += module->getGeneralCallbackFunctions();
        eventCallbacks += module->getEventCallbackFunctions();
        initCode += module->getInitCode();
        pollCode += module->getPollCode();
        convenienceFunctions += module->getConvenienceFunctions();
    }

    const QString fileHeader = fileHeaderLines().join(QString());

    ManagerTexts texts;
    texts.header = fileHeader;
    texts.source = fileHeader;

    texts.header += replacePlaceholders(readResourceText(QString::fromLatin1(kManagerHeaderTemplate)),
                                        {includes, prototypes});
    texts.source += replacePlaceholders(readResourceText(QString::fromLatin1(kManagerSourceTemplate)),
                                        {sourceIncludes, generalVariables, instanceVariables, generalCallbacks,
                                         eventCallbacks, initCode, pollCode, convenienceFunctions});

    if (!isCpp) {
        // The opening wrapper goes with all white space after it, the closing
        // one with all white space before it. Compiled once for the process.
        static const QRegularExpression openWrapper(QStringLiteral("extern \"C\" {\\s*"));
        static const QRegularExpression closeWrapper(QStringLiteral("\\s*} \\/\\/ extern \"C\""));
        texts.source.remove(openWrapper);
        texts.header.remove(openWrapper);
        texts.source.remove(closeWrapper);
        texts.header.remove(closeWrapper);
    }
    return texts;
}

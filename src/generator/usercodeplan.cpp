#include "usercodeplan.h"

#include "fileutil.h"
#include "usercodemerge.h"

#include <QFile>
#include <QFileInfo>
#include <QTextCodec>

UserCodeMergePlan planUserCodeMerge(const QString& filePath, const QString& newText, bool isCpp)
{
    UserCodeMergePlan plan;
    const QFileInfo info(filePath);
    plan.fileName = info.fileName();
    const QString suffix = info.suffix().toLower();
    plan.targetPath = filePath;
    if (suffix == QLatin1String("c") || suffix == QLatin1String("cpp"))
        plan.targetPath = info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QLatin1Char('.') +
                          (isCpp ? QStringLiteral("cpp") : QStringLiteral("c"));

    QFile in(filePath);
    if (!in.open(QIODevice::ReadOnly)) {
        plan.readError = in.errorString();
        return plan;
    }
    plan.oldBytes = in.readAll();
    in.close();
    plan.readOk = true;

    QTextCodec* codec = QTextCodec::codecForUtfText(plan.oldBytes, QTextCodec::codecForLocale());
    QString oldText = codec->toUnicode(plan.oldBytes);
    oldText.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QString merged = newText;
    plan.lostSections = mergeUserCodeText(oldText, merged, buildUserCodePatterns()).lostSections;
    plan.mergedBytes = textFileBytes(merged);
    return plan;
}

// QtTranslations: choosing and installing the qtbase catalogue.
#include "app/qttranslations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTranslator>

QString QtTranslations::DefaultFolder()
{
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

QtTranslations::QtTranslations(const QLocale& system, const QString& folder)
{
    const QString dir = folder.isEmpty() ? DefaultFolder() : folder;
    auto translator = std::make_unique<QTranslator>();
    bool loaded = false;
    if (system.language() == QLocale::Chinese)
        loaded = translator->load(system, QStringLiteral("qtbase"), QStringLiteral("_"), dir);
    if (!loaded)
        loaded = translator->load(QStringLiteral("qtbase_zh_CN"), dir);
    if (!loaded || !QCoreApplication::installTranslator(translator.get()))
        return;
    m_installed = QFileInfo(translator->filePath()).fileName();
    m_translator = std::move(translator);
}

QtTranslations::~QtTranslations()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator.get());
}

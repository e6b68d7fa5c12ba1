// Qt's own texts (standard buttons, the file dialog, edit context menus) in the program's language.
#pragma once

#include <QLocale>
#include <QString>
#include <memory>
#include <vector>

class QTranslator;

// Installs the qtbase translation while it lives. The reader's own texts are Simplified Chinese,
// so Qt's are too whatever the locale; a Chinese locale with its own qtbase file (zh_TW...) gets
// that one instead.
class QtTranslations
{
public:
    explicit QtTranslations(const QLocale& system = QLocale::system(), const QString& folder = {});
    ~QtTranslations();
    QtTranslations(const QtTranslations&) = delete;
    QtTranslations& operator=(const QtTranslations&) = delete;

    // The file that was installed ("qtbase_zh_CN.qm"), empty when none was found.
    QString Installed() const { return m_installed; }
    // Where Qt's translations are installed.
    static QString DefaultFolder();

private:
    std::unique_ptr<QTranslator> m_translator;
    QString m_installed;
};

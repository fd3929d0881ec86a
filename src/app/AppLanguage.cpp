// Language choice and the translator of the English captions.
#include "app/AppLanguage.h"

#include <QCoreApplication>
#include <QTranslator>

namespace velrok::app {

namespace {
// Where qt_add_translations puts the compiled translation among the program's resources.
constexpr const char* kEnglishResource = ":/i18n/velrok_en.qm";
} // namespace

std::string ChooseLanguage(const std::string& stored, const std::string& localeName)
{
    if (stored == kLanguageFrench || stored == kLanguageEnglish)
        return stored;
    return localeName.rfind("fr", 0) == 0 ? kLanguageFrench : kLanguageEnglish;
}

Translations::Translations(QCoreApplication& app) : m_app(app), m_english(std::make_unique<QTranslator>()) {}

Translations::~Translations()
{
    if (m_installed)
        m_app.removeTranslator(m_english.get());
}

bool Translations::Use(const std::string& language)
{
    if (language == kLanguageEnglish) {
        if (!m_installed) {
            if (m_english->isEmpty() && !m_english->load(QString::fromLatin1(kEnglishResource)))
                return false;
            m_installed = m_app.installTranslator(m_english.get());
            if (!m_installed)
                return false;
        }
        m_current = kLanguageEnglish;
        return true;
    }
    if (m_installed)
        m_app.removeTranslator(m_english.get());
    m_installed = false;
    m_current = kLanguageFrench;
    return true;
}

} // namespace velrok::app

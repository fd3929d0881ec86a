// The interface language. The forms carry their French captions; English comes from the
// translation built into the program (Qt's own system). Messages and reports are not translated.
#pragma once

#include <QObject>

#include <memory>
#include <string>

class QCoreApplication;
class QTranslator;

namespace velrok::app {

// The setting "Language": "fr", "en", or absent/empty when the system locale decides.
inline constexpr const char* kLanguageSetting = "Language";
inline constexpr const char* kLanguageFrench = "fr";
inline constexpr const char* kLanguageEnglish = "en";

// The language to use: a stored "fr" or "en" as chosen; otherwise the locale's (a locale name as
// "fr_CA" gives French, any other English, the program's only translation).
std::string ChooseLanguage(const std::string& stored, const std::string& localeName);

// Installs the English translation on the application, or removes it for the French captions.
// Open forms follow through Qt's language-change event.
class Translations {
  public:
    explicit Translations(QCoreApplication& app);
    ~Translations();
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

    // False when the English translation is missing from the program (French stays).
    bool Use(const std::string& language);
    const std::string& Current() const { return m_current; }

  private:
    QCoreApplication& m_app;
    std::unique_ptr<QTranslator> m_english;
    bool m_installed = false;
    std::string m_current = kLanguageFrench;
};

} // namespace velrok::app

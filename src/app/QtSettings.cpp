// The user's settings through QSettings (the host library's store when it is built).
#include "app/QtSettings.h"

#include <QSettings>

namespace velrok::app {

namespace {

class QSettingsAdapter : public SettingsStore {
  public:
    std::string Get(const std::string& key, const std::string& defaultValue) const override
    {
        const QString path = Path(key);
        return m_settings.contains(path) ? m_settings.value(path).toString().toStdString() : defaultValue;
    }
    bool Set(const std::string& key, const std::string& value) override
    {
        m_settings.setValue(Path(key), QString::fromStdString(value));
        m_settings.sync();
        return m_settings.status() == QSettings::NoError;
    }

  private:
    static QString Path(const std::string& key)
    {
        return QString::fromLatin1(kSettingsSection) + QLatin1Char('/') + QString::fromStdString(key);
    }
    mutable QSettings m_settings{QString::fromLatin1(kSettingsApplication),
                                 QString::fromLatin1(kSettingsApplication)};
};

} // namespace

std::unique_ptr<SettingsStore> MakeUserSettingsStore()
{
    return std::make_unique<QSettingsAdapter>();
}

} // namespace velrok::app

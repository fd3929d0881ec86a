// Shared pieces of the widget tests: a harness with a temporary program folder, an in-memory
// settings store, recorded message boxes and scripted file dialogs, and small widget helpers.
#pragma once

#include "app/AppEnvironment.h"
#include "app/frmVehicleTurning.h"
#include "common/SettingsStore.h"
#include "fakes/RecordingServices.h"
#include "vehicle/VehicleLibrary.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velrok::apptest {

// Answers the open and save dialogs from queues (cancel when a queue is empty) and records calls.
class ScriptedDialogs : public FileDialogs {
  public:
    std::string OpenFile(const Options& options) override { return Next(openAnswers, options); }
    std::string SaveFile(const Options& options) override { return Next(saveAnswers, options); }
    std::deque<std::string> openAnswers, saveAnswers;
    std::vector<Options> asked;

  private:
    std::string Next(std::deque<std::string>& answers, const Options& options)
    {
        asked.push_back(options);
        if (answers.empty())
            return {};
        std::string a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct Harness {
    QTemporaryDir folder;
    MemorySettingsStore settings;
    testing::RecordingMessages messages;
    ScriptedDialogs dialogs;
    app::AppSession session;
    app::AppEnvironment env;

    // The temporary folder is the program folder; the user's data folder lies inside it. Unless
    // asked for a fresh store, the CAD version counts as chosen, so loading the main window does
    // not open the first-run settings form.
    explicit Harness(bool freshSettings = false)
        : env{settings, messages, session, folder.path().toStdString(), ',', nullptr, {}}
    {
        env.dialogs = &dialogs;
        env.dataFolder = Path("data");
        if (!freshSettings)
            settings.Set("CadVersion", "10");
    }

    std::string Path(const std::string& name) const { return (folder.path() + "/").toStdString() + name; }
    // The user's copy of the shipped default library, made by the first load.
    std::string UserLibrary() const { return Path("data/DefaultVehicles.vdt"); }
    // An empty library beside the program, so load finds its default file.
    void CreateFile(const std::string& name) const
    {
        QFile f(QString::fromStdString(Path(name)));
        if (!f.open(QIODevice::WriteOnly))
            throw std::runtime_error("cannot create " + name);
    }
    std::unique_ptr<app::frmVehicleTurning> LoadedWindow()
    {
        auto window = std::make_unique<app::frmVehicleTurning>(env);
        window->Load();
        return window;
    }
};

inline QByteArray FileBytes(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A 16-bit little-endian integer of a file image.
inline int Int16At(const QByteArray& bytes, int offset)
{
    const auto lo = static_cast<unsigned char>(bytes.at(offset));
    const auto hi = static_cast<unsigned char>(bytes.at(offset + 1));
    return static_cast<int16_t>(static_cast<uint16_t>(lo | (hi << 8)));
}

template <class T> T* Child(QWidget* parent, const char* name)
{
    T* w = parent->findChild<T*>(QString::fromLatin1(name));
    if (w == nullptr)
        throw std::logic_error(std::string("no control named ") + name);
    return w;
}

} // namespace velrok::apptest

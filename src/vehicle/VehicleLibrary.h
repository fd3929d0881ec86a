// The vehicle library commands of the main window as plain logic: the list of the current vehicle
// file, the edit fields, Save, Copy, New vehicle, Delete, File > New, Open and Save As. The window
// owns one VehicleLibrary, copies its widget texts into Fields() before a command that reads them,
// runs the command, and then shows the state below (fields, list and selection, caption, picture,
// visible controls, summary). Messages, questions and dialogs go through the services passed in.
#pragma once

#include "common/SettingsStore.h"
#include "common/UiServices.h"
#include "vehicle/SumSegments.h"
#include "vehicle/VehicleFields.h"
#include "vehicle/VehicleFile.h"
#include "vehicle/VehicleSchematic.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace velrok {

inline constexpr const char* kVehicleFileSetting = "VehicleFile";
inline constexpr const char* kDefaultVehicleFileName = "DefaultVehicles.vdt";
inline constexpr const char* kVehicleFileFilter = "Vehicle Data (*.vdt)|*.vdt";
inline constexpr const char* kVehicleFileExtension = "vdt";
inline constexpr const char* kCaptionPrefix = "Vehicle Turning Simulation ";

// The open and save dialogs of the platform. Both return the chosen path, or an empty text when
// the user cancels. The open dialog only accepts a file that exists.
class FileDialogs {
  public:
    struct Options {
        std::string filter = kVehicleFileFilter; // description "|" pattern
        std::string defaultExtension = kVehicleFileExtension;
        std::string initialFolder;
        std::string title; // the dialog's caption; empty: the platform's own
    };
    virtual ~FileDialogs() = default;
    virtual std::string OpenFile(const Options& options) = 0;
    virtual std::string SaveFile(const Options& options) = 0;
};

struct VehicleLibraryServices {
    MessageService& messages;
    StatusService& status;   // panel 1 gets the turning radius; the progress bar may be hidden
    SettingsStore& settings; // "VehicleFile" names the current file
    FileDialogs& dialogs;
    char decimalSeparator;     // the user's locale: field texts are read and written with it
    std::string programFolder; // where the shipped DefaultVehicles.vdt lies (only ever read)
    std::string dataFolder;    // the user's own data folder: the copy of it, and where dialogs start
};

class VehicleLibrary {
  public:
    explicit VehicleLibrary(VehicleLibraryServices services);

    // ---- Commands -------------------------------------------------------------------------

    // Start-up: selects "Semi-Trailer" in the type list (a type change), takes the current file
    // from the "VehicleFile" setting, or else the user's copy of the shipped library, made on the
    // first start (ChooseStartupLibrary; a failed copy is reported and the shipped file is shown
    // read-only), lists it and selects (shows) entry 0 when there is one.
    void StartUp();

    // A click on entry `index` of List1 (-1 clears the selection): Show vehicle.
    void SelectEntry(int index);

    // Show vehicle: clears the new-vehicle flag; reads the selected entry's record when one is
    // selected (ReadVehicle).
    void ShowVehicle();

    // Reads record n of the current file and shows it: configuration in force, type list,
    // picture, visible fields, the fields of the configuration, summary. A record that cannot be
    // read or shown (VType outside 1..13, a NaN or infinite number) gives a message titled
    // "Velrok" and changes nothing.
    void ReadVehicle(std::int64_t n);

    // Save (Command1): builds a record from Fields() for the type selected in the type list and
    // writes it as a new record (new-vehicle flag or empty list) or over the selected entry's
    // record; relists and shows the saved record and says "Saved" in status panel 1. "Please
    // Input Name for the Vehicle" when the name is empty; a field that is not a number stops with
    // "<why> Prepare to Save or Copy". The shipped library is never written (a message says so).
    void Save();

    // Copy (Command6): as Save, but always a new record named "Copy of " + the stored name (cut to
    // 100 characters). The record copied from is unchanged.
    void Copy();

    // New vehicle (Command4): empties every edit field and the summary (length label, panel 1) and
    // sets the new-vehicle flag.
    void NewVehicle();

    // Delete (Command5): asks "Delete current Vehicle? " (Yes/No); Yes frees the selected entry's
    // record in the current file, relists, and shows the entry before it (or the first), or
    // empties the fields when the list is now empty. Nothing selected: nothing happens.
    void Delete();

    // File > New: save dialog; refuses an existing file ("File already exist, cant overwrite");
    // creates the new, empty file, makes it the current file and the "VehicleFile" setting,
    // sets the caption and lists it (empty).
    void FileNew();

    // File > Open: open dialog; a chosen file becomes the current file. Then the current file is
    // listed (a cancelled dialog reloads it), stored as "VehicleFile", and entry 0 is shown.
    void FileOpen();

    // File > Save As: save dialog; refuses an existing file; copies the current file to the
    // chosen one. The current file does not change.
    void FileSaveAs();

    // A type picked in the type list (Combo1): picture and visible fields of the code, summary
    // for the code. The configuration in force does not change.
    void SelectType(int code);

    // A key released in one of the sixteen length fields (after the window copied its texts into
    // Fields()): summary for the configuration in force.
    void LengthFieldEdited();

    // Lists the current file (LoadVehicleList). A missing file gives "Can't find saved Vehicle
    // File! Please open file" and the open dialog; a cancelled dialog leaves the list empty.
    void LoadVehicleList();

    // ---- State the window shows -----------------------------------------------------------

    VehicleFields& Fields() { return m_fields; }
    const VehicleFields& Fields() const { return m_fields; }
    const VehicleList& List() const { return m_list; }
    int SelectedIndex() const { return m_selectedIndex; } // -1: nothing selected
    int SelectedType() const { return m_selectedType; }   // item data of the Combo1 entry
    int ConfigurationInForce() const { return m_configurationInForce; }
    bool NewVehicleFlag() const { return m_newVehicle; }
    const std::string& CurrentFile() const { return m_currentFile; }
    // "Vehicle Turning Simulation [" + FileTitle(current file) + "]".
    std::string Caption() const;
    // Key of the schematic picture shown; empty before any is shown.
    std::string_view ShownPictureKey() const { return PictureKey(m_pictureCode); }
    // The optional controls visible now (the last show/hide pass).
    ShownControls ShownFields() const { return ShowTypeFields(m_shownFieldsCode); }
    // Total-length label and status panel 1 (also sent to StatusService panel 1).
    const SegmentsSummary& Summary() const { return m_summary; }

    // True when the current file is the library shipped beside the program: Save, Copy and
    // Delete refuse to write it.
    bool CurrentFileIsShipped() const;

    // Lets the window set the current file before StartUp-less use (tests, command line).
    void SetCurrentFile(std::string path) { m_currentFile = std::move(path); }

  private:
    enum class BuildAction { Save, Copy };
    void BuildVehicleRecord(BuildAction action);
    void RefreshSummary(int code);
    void ClearSummary();
    void MakeCurrentFile(const std::string& path, const char* failureTitle, const char* failureSuffix);
    FileDialogs::Options DialogOptions(const char* title) const;
    bool RefuseShippedFile();

    VehicleLibraryServices m_services;
    VehicleFields m_fields;
    VehicleList m_list;
    int m_selectedIndex = -1;
    int m_selectedType = 2;
    std::int16_t m_configurationInForce = 0;
    bool m_newVehicle = false;
    std::string m_currentFile;
    int m_pictureCode = 0;
    int m_shownFieldsCode = 0;
    SegmentsSummary m_summary;
};

} // namespace velrok

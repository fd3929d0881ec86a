// The library commands of the main window, every branch and message of them, without a window.
#include "vehicle/VehicleLibrary.h"

#include "common/NumberText.h"
#include "vehicle/Cp1252.h"
#include "vehicle/StartupLibrary.h"
#include "vehicle/VehicleType.h"

#include <charconv>
#include <filesystem>

namespace velrok {

namespace {

constexpr const char* kCopyPrefix = "Copy of ";
constexpr const char* kVelrokTitle = "Velrok";
constexpr const char* kSimulationTitle = "Veichle Turning Simulation";
constexpr const char* kPrepareSuffix = " Prepare to Save or Copy";
constexpr const char* kOpenFileSuffix = " open File";
constexpr const char* kSavedText = "Saved";
constexpr const char* kShippedRefusal =
    "The vehicle library beside the program is never changed. Save it under another name "
    "(Fich > Sauv.en) and open that file to edit its vehicles.";

// "Copy of " and the stored name padded to its 100 characters, cut back to 100 characters.
std::string CopyName(const std::string& name)
{
    std::string bytes = Utf8ToCp1252(name).bytes;
    bytes.resize(kNameLength, ' ');
    return Cp1252ToUtf8((kCopyPrefix + bytes).substr(0, kNameLength));
}

} // namespace

VehicleLibrary::VehicleLibrary(VehicleLibraryServices services) : m_services(std::move(services)) {}

std::string VehicleLibrary::Caption() const
{
    return std::string(kCaptionPrefix) + "[" + FileTitle(m_currentFile) + "]";
}

FileDialogs::Options VehicleLibrary::DialogOptions(const char* title) const
{
    // The user's own folder: the program folder is read-only for users.
    FileDialogs::Options o;
    o.initialFolder = m_services.dataFolder.empty() ? m_services.programFolder : m_services.dataFolder;
    o.title = title;
    return o;
}

bool VehicleLibrary::CurrentFileIsShipped() const
{
    return SameFile(m_currentFile, ShippedLibraryPath(m_services.programFolder));
}

bool VehicleLibrary::RefuseShippedFile()
{
    if (!CurrentFileIsShipped())
        return false;
    m_services.messages.Show(kVelrokTitle, kShippedRefusal, MsgIcon::Exclamation);
    return true;
}

void VehicleLibrary::RefreshSummary(int code)
{
    m_summary = SumSegments(code, m_fields, m_services.decimalSeparator);
    m_services.status.SetPanel(1, m_summary.panel1Text);
}

void VehicleLibrary::MakeCurrentFile(const std::string& path, const char* failureTitle,
                                     const char* failureSuffix)
{
    m_currentFile = path;
    // Kept in step with the current file, so a later start (and anything reading the setting)
    // works on the file the user sees.
    if (!m_services.settings.Set(kVehicleFileSetting, m_currentFile))
        m_services.messages.Show(failureTitle,
                                 "Could not store the vehicle file path \"" + path + "\" in the settings." +
                                     failureSuffix,
                                 MsgIcon::Exclamation);
}

void VehicleLibrary::StartUp()
{
    SelectType(2);
    const StartupLibrary start = ChooseStartupLibrary(m_services.settings.Get(kVehicleFileSetting, ""),
                                                      m_services.programFolder, m_services.dataFolder);
    if (!start.message.empty())
        m_services.messages.Show(kVelrokTitle, start.message, MsgIcon::Exclamation);
    m_currentFile = start.path;
    LoadVehicleList();
    if (!m_list.empty())
        SelectEntry(0);
}

void VehicleLibrary::LoadVehicleList()
{
    m_list.clear();
    m_selectedIndex = -1;
    if (!FileExists(m_currentFile)) {
        m_services.messages.Show("Open File", "Can't find saved Vehicle File! Please open file",
                                 MsgIcon::Exclamation);
        // The user picks another file; a cancelled dialog leaves the list empty rather than asking
        // again and again for a file that is not there.
        const std::string chosen = m_services.dialogs.OpenFile(DialogOptions("Open"));
        if (chosen.empty() || !FileExists(chosen))
            return;
        MakeCurrentFile(chosen, kSimulationTitle, kOpenFileSuffix);
    }
    if (std::string error = ListVehicleRecords(m_currentFile, m_list); !error.empty())
        m_services.messages.Show(kVelrokTitle, error, MsgIcon::Exclamation);
}

void VehicleLibrary::SelectEntry(int index)
{
    m_selectedIndex = (index >= 0 && index < static_cast<int>(m_list.size())) ? index : -1;
    ShowVehicle();
}

void VehicleLibrary::ShowVehicle()
{
    m_newVehicle = false;
    if (m_selectedIndex >= 0)
        ReadVehicle(m_list[static_cast<size_t>(m_selectedIndex)].itemData);
}

void VehicleLibrary::ReadVehicle(std::int64_t n)
{
    const RecordReadResult read = ReadVehicleRecord(m_currentFile, n);
    if (!read.ok()) {
        m_services.messages.Show(kVelrokTitle, read.error, MsgIcon::Exclamation);
        return;
    }
    // Checked before anything changes, so a bad record leaves the window as it was.
    if (std::string why = CheckRecordShowable(read.record); !why.empty()) {
        m_services.messages.Show(kVelrokTitle, "Record " + std::to_string(n) + ": " + why,
                                 MsgIcon::Exclamation);
        return;
    }
    const VehicleRecord& r = read.record;
    m_configurationInForce = r.VType;
    SelectType(r.VType);
    FieldsFromRecord(r, m_fields, m_services.decimalSeparator);
    m_shownFieldsCode = r.VType;
    RefreshSummary(r.VType);
}

void VehicleLibrary::BuildVehicleRecord(BuildAction action)
{
    MessageService& messages = m_services.messages;
    if (Trim(m_fields.txt_Name).empty()) {
        messages.Show("Missing value", "Please Input Name for the Vehicle", MsgIcon::Exclamation);
        return;
    }
    if (RefuseShippedFile())
        return;
    auto fail = [&](const std::string& why) {
        messages.Show(kVelrokTitle, why + kPrepareSuffix, MsgIcon::Exclamation);
    };
    RecordFromFieldsResult built = RecordFromFields(m_fields, m_selectedType, m_services.decimalSeparator);
    if (!built.ok()) {
        fail(built.error);
        return;
    }
    VehicleRecord& record = built.record;
    SaveVehicleResult saved;
    if (action == BuildAction::Save) {
        const std::int64_t n =
            m_selectedIndex < 0 ? -1 : m_list[static_cast<size_t>(m_selectedIndex)].itemData;
        saved = SaveVehicle(record, n, m_currentFile, m_list.empty(), m_newVehicle, messages);
    } else {
        m_newVehicle = true;
        record.Name = CopyName(record.Name);
        saved = SaveVehicle(record, -1, m_currentFile, m_list.empty(), m_newVehicle, messages);
    }
    if (!saved.error.empty()) {
        fail(saved.error);
        return;
    }
    LoadVehicleList();
    if (m_newVehicle) {
        m_services.status.SetPanel(1, kSavedText);
        return;
    }
    int number = 0;
    const auto& t = saved.recordNumber;
    if (t.empty() || std::from_chars(t.data(), t.data() + t.size(), number).ec != std::errc{}) {
        fail("No vehicle was saved.");
        return;
    }
    for (size_t i = 0; i < m_list.size(); ++i) {
        if (m_list[i].itemData == number) {
            SelectEntry(static_cast<int>(i));
            break;
        }
    }
    // After the record is shown again, whose summary rewrote panel 1.
    m_services.status.SetPanel(1, kSavedText);
}

void VehicleLibrary::Save()
{
    BuildVehicleRecord(BuildAction::Save);
}

void VehicleLibrary::Copy()
{
    BuildVehicleRecord(BuildAction::Copy);
}

void VehicleLibrary::NewVehicle()
{
    ClearTextboxes(m_fields);
    ClearSummary();
    m_newVehicle = true;
}

void VehicleLibrary::ClearSummary()
{
    // Empty fields have no length and no radius yet; the previous vehicle's figures must go.
    m_summary = SegmentsSummary{};
    m_summary.totalLengthText = kTotalLengthPrefix;
    m_services.status.SetPanel(1, "");
}

void VehicleLibrary::Delete()
{
    if (m_selectedIndex < 0)
        return;
    const int i = m_selectedIndex;
    if (RefuseShippedFile())
        return;
    const VehicleListEntry entry = m_list[static_cast<size_t>(i)];
    MessageService& messages = m_services.messages;
    const MsgAnswer answer = messages.Show("Delet Vehicle", "Delete current Vehicle? \r\r" + Trim(entry.text),
                                           MsgIcon::Question, MsgButtons::YesNo);
    if (answer != MsgAnswer::Yes)
        return;
    // The record goes from the file whose list the user sees, whatever the setting says.
    if (std::string error = DeleteVehicle(entry.itemData, m_currentFile, messages); !error.empty()) {
        messages.Show(kVelrokTitle, error, MsgIcon::Exclamation);
        return;
    }
    LoadVehicleList();
    if (m_list.empty()) {
        ClearTextboxes(m_fields);
        ClearSummary();
        return;
    }
    SelectEntry(i >= 1 ? i - 1 : 0);
}

void VehicleLibrary::FileNew()
{
    const std::string chosen = m_services.dialogs.SaveFile(DialogOptions("New"));
    if (chosen.empty())
        return;
    if (std::filesystem::exists(chosen)) {
        m_services.messages.Show("Save As", "File already exist, cant overwrite", MsgIcon::Exclamation);
        return;
    }
    // The new file is made before it is listed, so the list finds it (empty) instead of asking
    // the user to open a file.
    if (std::string error = CreateEmptyVehicleFile(chosen); !error.empty()) {
        m_services.messages.Show(kVelrokTitle, error, MsgIcon::Exclamation);
        return;
    }
    MakeCurrentFile(chosen, kVelrokTitle, "");
    LoadVehicleList();
}

void VehicleLibrary::FileOpen()
{
    const std::string chosen = m_services.dialogs.OpenFile(DialogOptions("Open"));
    if (!chosen.empty())
        m_currentFile = chosen;
    if (m_currentFile.empty()) {
        m_services.status.SetProgressVisible(false);
        return;
    }
    LoadVehicleList();
    MakeCurrentFile(m_currentFile, kSimulationTitle, kOpenFileSuffix);
    if (!m_list.empty())
        SelectEntry(0);
}

void VehicleLibrary::FileSaveAs()
{
    const std::string chosen = m_services.dialogs.SaveFile(DialogOptions("Save As"));
    if (chosen.empty())
        return;
    if (std::filesystem::exists(chosen)) {
        m_services.messages.Show("Save As", "File already exist, cant overwrite", MsgIcon::Exclamation);
        return;
    }
    if (!CopyVehicleFile(m_currentFile, chosen, true))
        m_services.messages.Show("Save As", "Could not copy the vehicle file to \"" + chosen + "\".",
                                 MsgIcon::Exclamation);
}

void VehicleLibrary::SelectType(int code)
{
    m_selectedType = code;
    if (IsVehicleType(code)) {
        m_pictureCode = code;
        m_shownFieldsCode = code;
    }
    RefreshSummary(code);
}

void VehicleLibrary::LengthFieldEdited()
{
    RefreshSummary(m_configurationInForce);
}

} // namespace velrok

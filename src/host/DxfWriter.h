// Writing the drawing as a DXF text file. A drawing read from a file is written as that file's
// document: every tag it read comes back as read, in the version read, plus what the program
// added (layers, line types, entities in the model space, groups) and minus what the user deleted.
// A drawing that came from no file is written as a new R2000 drawing.
#pragma once

#include "host/InMemoryDrawing.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velrok::host {

// Said when an R12 file is saved with a run's group: R12 has no groups.
inline constexpr const char* kR12GroupWarning = "The run's group cannot be kept in an R12 file.";

struct DxfWriteNotes {
    std::vector<std::string> warnings; // for the user; the file is written all the same
};

std::string WriteDxfText(const InMemoryDrawing& drawing);
std::string WriteDxfText(const InMemoryDrawing& drawing, DxfWriteNotes& notes);

// False, with a message naming the file, when it cannot be written. The file is written beside
// the target under a temporary name and renamed into place, so a failure leaves the old file as it was.
bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error);
bool WriteDxfFile(const InMemoryDrawing& drawing, const std::string& path, std::string& error,
                  DxfWriteNotes& notes);

// Only a run's results: the members of that group (or of every group when none is given), their
// levels and the groups, as a new R2000 drawing in the drawing's coordinates, to attach to the
// project drawing as an external reference.
// Members read from a file that the drawing cannot write from its data (block references, hatches,
// notes, dimensions ...) are copied from the file's own tags with what they need; one that cannot
// be copied soundly is left out and named in a warning (ResultsLeftOutWarning).
std::string WriteResultsDxfText(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group);
std::string WriteResultsDxfText(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                                DxfWriteNotes& notes);
bool WriteResultsDxfFile(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                         const std::string& path, std::string& error);
bool WriteResultsDxfFile(const InMemoryDrawing& drawing, std::optional<NamedGroupHandle> group,
                         const std::string& path, std::string& error, DxfWriteNotes& notes);

// "2 elements of the group are not in the results file: they could not be copied from their
// file (HATCH 1, INSERT 1)."; by entity type, as many as were left out.
std::string ResultsLeftOutWarning(const std::map<std::string, int>& leftOutByType);

// Writes text to path through a temporary file in the same folder and a rename.
bool WriteFileReplacing(const std::string& path, const std::string& text, std::string& error);

} // namespace velrok::host

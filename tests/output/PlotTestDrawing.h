// A drawing with a named group and recording services for the plotting tests.
#pragma once

#include "common/SettingsStore.h"
#include "fakes/RecordingServices.h"
#include "host/InMemoryDrawing.h"
#include "output/PlotSegment.h"

#include <map>
#include <string>

namespace velrok::testing {

struct PlotTestDrawing {
    host::InMemoryDrawing drawing;
    MemorySettingsStore settings;
    RecordingMessages messages;
    RecordingStatus status;
    host::NamedGroupHandle group = drawing.AddNewNamedGroup("7261208143000");

    PlotContext Context() { return PlotContext{drawing, settings, group, messages, status, '.'}; }

    std::map<std::string, int> ElementsPerLevel() const
    {
        std::map<std::string, int> counts;
        for (const host::DrawingElement* e : drawing.ModelElements())
            ++counts[drawing.Level(e->level).name];
        return counts;
    }
    int Commits() const { return drawing.Group(group).commits; }
    size_t Members() const { return drawing.Group(group).members.size(); }
};

} // namespace velrok::testing

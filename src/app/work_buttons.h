#pragma once

// The work buttons of the main window that the editors show once their data exist.
enum class WorkButton { EditProject, EditStations, EditLines, AssignStations, EditTimeTable, EditLineNetworkPlans };

// Shows the work button on the main window; nothing while there is no main window (an editor
// shown on its own).
void showWorkButton(WorkButton button);

#pragma once
// Finding the record a stopped run left, before a run changes anything.

#include <string>

class RunRecordSink;

// True when a run into install_dir was stopped and is left to undo. A record
// that needs no undo is cleared at once and gives false: one that announced
// nothing, and one of a run that was complete and was only deleting the
// files it had saved (those are deleted now).
bool stopped_run_to_undo(RunRecordSink& record, const std::string& install_dir);

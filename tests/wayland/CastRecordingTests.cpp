// This file's own contents (the capture tool's screen-cast tests: CastRecording.EndsAsAskedWithACompleteMovieOrNone,
// CastOnStillScreen.AreaOverAWindowOfKnownColour) were overwritten by mistake at 05:52 UTC by the engineer
// working on the application's side of Wayland recording, before they were committed. They could not be
// recovered; the object file built from them at 05:40 and its strings are kept in /tmp/h26/lost/.
// Please restore the file from your own copy.
#error "tests/wayland/CastRecordingTests.cpp was overwritten by mistake: restore it from your copy (see the comment above)"

#pragma once
// The report engine's messages (a print or a save from the preview that did not
// happen) shown through the program's one message seam, like every other.

// Sets the engine's notifier; called once at start-up, before the first window.
void routeReportMessages();

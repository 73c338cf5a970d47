#pragma once
// Sets up the data module's shared notice query for the main window.

class Tdm;

namespace notices {

// The notice list is read page by page by the notice number, and a notice in
// editing is refreshed from the notice table, row by notice number, when a
// save is refused because another workstation changed it.
void configure(Tdm &dm);

}  // namespace notices

#pragma once
// Sets up the data module's shared lines query for the fee-line windows.

class Tdm;

namespace fees {

// The lines query reads the lines of one notice; a line is one row by lineid.
void configure(Tdm &dm);

}  // namespace fees

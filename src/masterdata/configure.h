#pragma once
// Sets up the data module's shared queries that the master data windows edit.

class Tdm;

namespace masterdata {

// The account lists store into person, row by login name; a store is refused
// when another workstation changed the account since it was read. The name
// lists store into their tables, row by name.
void configure(Tdm &dm);

}  // namespace masterdata

#pragma once
// Lists are read a page at a time as the grids scroll (RowSetModel). A page
// that cannot be read ends the list where it is; the user is told through
// the message seam like any handler's failure: a refusal (another
// workstation holds the rows) as information, anything else through the
// general error display. Whoever owns a list connects it here once.

class NamedQuery;
class RowSetModel;
class Tdm;

void tellReadFailures(RowSetModel *model);
void tellReadFailures(NamedQuery *query);
// Every shared query of the data module.
void tellReadFailures(Tdm &dm);

#pragma once
// The encryption of a server connection: the settings made into the client
// library's options, and a refused encrypted connection told in words.

#include "db_settings.h"

#include <QString>

// libpq options for the "SSL Mode" and "SSL CA File" keys, each preceded by
// a blank (to follow the connection's other options); empty when neither is set.
QString postgresEncryptionOptions(const DbSettings &settings);

// Words for a PostgreSQL connection that failed over its encryption (the
// server's certificate, the CA file, a server without encryption, a server
// that accepts only encrypted connections), followed by the client library's
// own line for the administrator. Empty when the failure is of another kind.
QString postgresEncryptionFailure(const DbSettings &settings, const QString &libraryText);

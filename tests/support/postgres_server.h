#pragma once
// Stops and starts the test script's PostgreSQL server, for tests of what the
// program does while the server is away and after it is back.

#include <QString>

namespace postgresServer {

// True when the test script said where the server lives.
bool canRestart();
// Stops the server at once (sessions are ended) and waits until it is down.
void stop();
// Starts it again with its own settings and waits until it accepts connections.
void start();

// Of a server of scripts/with-postgres-pair.sh, by its data folder: stops it
// as a machine that fails does (no checkpoint, every session cut), and turns
// a standby into a primary, waiting until it accepts writes.
void crash(const QString &dataFolder);
void promote(const QString &dataFolder);

}  // namespace postgresServer

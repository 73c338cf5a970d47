#pragma once
// Notices for the bill tests: printed notices waiting for a bill, issued and
// counted bills of both sections, and the bill managers of each section.

#include "test_database.h"

#include "app/current_user.h"

// A member of the section (role 3 or 5) with the bill right, or without it.
UserRecord billManager(const QString &department, bool billRight = true);

// Inserts a notice of the section in the state, created hours ago.
void addNotice(TestDatabase &db, const QString &id, int status, const QString &department, const QString &billCode = {},
               double hoursAgo = 1);

// What is stored for a notice: "status billcode revision".
QString storedNotice(TestDatabase &db, const QString &id);
int storedCounter(TestDatabase &db);

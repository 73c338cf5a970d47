#!/usr/bin/env python3
"""Parses statements meant for SQL Server with sqlfluff's T-SQL grammar and
fails on any that it cannot parse, less the known gaps of that grammar.

    tsql_syntax_gate.py STATEMENTS_JSON

STATEMENTS_JSON: [{"name": "...", "sql": "..."}, ...]. Placeholders must be
written as the driver sends them (@P1, @P2, ...). Each statement is parsed
on its own, all in one run of sqlfluff.
"""

import json
import os
import re
import subprocess
import sys
import tempfile

# Statements valid in T-SQL that sqlfluff's grammar (1.4) does not know,
# each with the reason it is let through.
GRAMMAR_GAPS = [
    (re.compile(r"^set lock_timeout -?\d+$", re.IGNORECASE),
     "SET LOCK_TIMEOUT is missing from the T-SQL grammar's SET statement"),
    (re.compile(r"^dbcc checkident \('\w+', reseed, \d+\)$", re.IGNORECASE),
     "DBCC statements are missing from the T-SQL grammar"),
]


def unparsable(node):
    if isinstance(node, dict):
        return "unparsable" in node or any(unparsable(v) for v in node.values())
    if isinstance(node, list):
        return any(unparsable(v) for v in node)
    return False


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        statements = json.load(f)
    checked, passed, gaps = [], [], []
    with tempfile.TemporaryDirectory() as folder:
        for i, s in enumerate(statements):
            gap = next((why for rule, why in GRAMMAR_GAPS if rule.match(s["sql"].strip())), None)
            if gap:
                gaps.append((s, gap))
                continue
            path = os.path.join(folder, "s%04d.sql" % i)
            with open(path, "w", encoding="utf-8") as f:
                f.write(s["sql"].strip() + "\n")
            checked.append((path, s))
        if not checked:
            print("no statements to parse")
            return 1
        run = subprocess.run(["sqlfluff", "parse", "--dialect", "tsql", "--format", "json", "--nofail", folder],
                             capture_output=True, text=True)
        try:
            results = {os.path.basename(r["filepath"]): r for r in json.loads(run.stdout)}
        except json.JSONDecodeError:
            print("sqlfluff gave no result:", run.stdout[:2000], run.stderr[:2000])
            return 1
    failures = 0
    for path, s in checked:
        result = results.get(os.path.basename(path))
        if result is None or result.get("segments") is None or unparsable(result["segments"]):
            failures += 1
            print("NOT PARSED: %s\n    %s" % (s["name"], s["sql"]))
    for s, why in gaps:
        print("grammar gap, not parsed: %s (%s)" % (s["sql"], why))
    print("%d statements parsed, %d failed, %d let through as grammar gaps"
          % (len(checked) - failures, failures, len(gaps)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

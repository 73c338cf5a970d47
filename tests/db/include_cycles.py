#!/usr/bin/env python3
"""Fails when files of a source folder include each other, directly or
through a cycle. A unit is a header with its .cpp (connection.h and
connection.cpp); the .cpp including its own header is no loop.

    include_cycles.py <folder>...
"""
import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)


def unit_graph(folder):
    folder = os.path.abspath(folder)
    name = os.path.basename(folder)
    units = {}
    for f in sorted(os.listdir(folder)):
        stem, ext = os.path.splitext(f)
        if ext in ('.h', '.cpp'):
            units.setdefault(stem, []).append(os.path.join(folder, f))
    graph = {u: {} for u in units}
    for unit, files in units.items():
        for path in files:
            with open(path, encoding='utf-8') as text:
                for included in INCLUDE.findall(text.read()):
                    # "x.h" beside the file, or "<folder>/x.h" from the include root.
                    parts = included.split('/')
                    if len(parts) == 2 and parts[0] == name:
                        included = parts[1]
                    elif len(parts) != 1:
                        continue
                    target = os.path.splitext(included)[0]
                    if target in units and target != unit:
                        graph[unit].setdefault(target, os.path.basename(path))
    return graph


def cycles(graph):
    """The strongly connected components of more than one unit (Tarjan)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in graph[v]:
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def one_loop(graph, component):
    """A loop through the component, as the include lines that make it."""
    members = set(component)
    start = component[0]
    path, seen = [start], {start}
    while True:
        nxt = next(w for w in sorted(graph[path[-1]]) if w in members)
        if nxt in seen:
            path = path[path.index(nxt):] + [nxt]
            break
        path.append(nxt)
        seen.add(nxt)
    return ['%s includes %s.h' % (graph[a][b], b) for a, b in zip(path, path[1:])]


def main(folders):
    failed = False
    for folder in folders:
        graph = unit_graph(folder)
        for component in cycles(graph):
            failed = True
            print('%s: include loop between %s:' % (folder, ', '.join(component)))
            for step in one_loop(graph, component):
                print('    ' + step)
        if not failed:
            print('%s: %d units, no include loop' % (folder, len(graph)))
    return 1 if failed else 0


if __name__ == '__main__':
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1:]))

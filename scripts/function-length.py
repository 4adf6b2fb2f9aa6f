#!/usr/bin/env python3
"""Lists every C++ function body longer than a limit (non-blank lines).

The project keeps functions short enough to read in one screen: CI fails
when one passes 80 non-blank lines. This reads text, not an AST: comments
and string literals are blanked out, then braces are matched, and a brace
at namespace or class level opens a function body unless it opens a
namespace, class, enum, an initialiser list or a braced initialiser.
Usage: function-length.py [LIMIT]   (files: the C++ that git tracks)
"""
import os
import re
import subprocess
import sys

SCOPE = re.compile(r'\b(namespace|class|struct|union|enum|extern)\b')
FN_TAIL = re.compile(r'(\)|\bconst|\boverride|\bfinal|\bnoexcept|\bmutable|->\s*[\w:<>,\s*&]+)\s*$')


def blank_out(text):
    def keep_lines(match):
        return '""' + '\n' * match.group().count('\n')
    text = re.sub(r'R"(\w*)\((.*?)\)\1"', keep_lines, text, flags=re.S)
    text = re.sub(r'/\*.*?\*/', lambda m: '\n' * m.group().count('\n'), text, flags=re.S)
    text = re.sub(r'"(\\.|[^"\\\n])*"', '""', text)
    text = re.sub(r"'(\\.|[^'\\\n])*'", "''", text)
    return re.sub(r'//[^\n]*', '', text)


def kind_of(head):
    head = re.sub(r'^\s*#.*$', '', head, flags=re.M).strip()
    if SCOPE.search(head) and not re.search(r'\)\s*(const)?\s*$', head):
        return 'scope'
    if not head or head.endswith('=') or head.endswith(','):
        return 'data'
    return 'function' if FN_TAIL.search(head) else 'data'


def long_functions(path, limit):
    lines = blank_out(open(path, encoding='utf-8', errors='replace').read()).split('\n')
    stack, head, found = [], '', []
    for number, line in enumerate(lines):
        for char in line:
            if char == '{':
                inner = any(kind != 'scope' for kind, _ in stack)
                kind = 'inner' if inner else kind_of(head)
                stack.append((kind, number))
                head = ''
            elif char == '}' and stack:
                kind, start = stack.pop()
                if kind == 'function':
                    size = sum(1 for row in lines[start:number + 1] if row.strip())
                    if size > limit:
                        found.append((size, start + 1))
                if kind in ('scope', 'function'):
                    head = ''
            elif char == ';' and not any(kind != 'scope' for kind, _ in stack):
                head = ''
            else:
                head += char
        head += '\n'
    return found


def main():
    limit = int(sys.argv[1]) if len(sys.argv) > 1 else 80
    root = subprocess.run(['git', 'rev-parse', '--show-toplevel'], capture_output=True, text=True,
                          check=True).stdout.strip()
    files = subprocess.run(['git', '-C', root, 'ls-files', '*.cpp', '*.h'], capture_output=True, text=True,
                           check=True).stdout.split()
    over = [(size, name, line) for name in files for size, line in long_functions(os.path.join(root, name), limit)]
    for size, name, line in sorted(over, reverse=True):
        print(f'{name}:{line}: function of {size} non-blank lines (limit {limit})')
    return 1 if over else 0


if __name__ == '__main__':
    sys.exit(main())

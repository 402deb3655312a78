#!/usr/bin/env python3
"""Reports every function in the C++ sources that is longer than a limit.

    check_function_length.py [--limit N] [--exclude PATH ...] DIR_OR_FILE ...

Scans *.cpp and *.h below each directory. A function's length counts from
the first line of its signature (its template line, if it has one) to its
closing brace; lambdas and local classes count towards the function that
holds them. Free functions, member functions defined outside their class and
member functions defined inside a class body (at any indentation) are all
checked; namespaces, extern "C" blocks and class bodies are looked into, not
counted. Braces in comments, strings, character literals and preprocessor
lines are not counted.

--exclude skips the files below a path, given as one or more whole path
components ("src/model" skips .../src/model/*, not .../src/models/*).

Prints one line per function that is too long, "path:line: name is N lines
(limit L)", and exits with 1 when there is any, 0 when there is none.
"""
import argparse
import bisect
import os
import re
import sys

DEFAULT_LIMIT = 60

# What the text before an opening brace says about the brace, once comments,
# strings and preprocessor lines are blanked out.
NAMESPACE_RE = re.compile(r'(^|[\s;{}])(inline\s+)?namespace(\s+[\w:]+)?\s*$')
EXTERN_RE = re.compile(r'(^|[\s;{}])extern\s*"\s*"\s*$')
CLASS_RE = re.compile(r'(^|[\s;{}>])(class|struct|union|enum)\b')
# A parameter list and what may follow it before the body: cv and ref
# qualifiers, noexcept, override/final, a trailing return type.
FUNCTION_TAIL_RE = re.compile(
    r'\)\s*(?:(?:const|volatile|&&|&|noexcept\s*(?:\([^()]*\))?|override|final|'
    r'throw\s*\([^()]*\))\s*)*(?:->\s*[\w:<>,\s*&()]+?)?\s*$')
# A constructor's member initializer list ("...) : m_a(1), m_b{2}").
INITIALIZERS_RE = re.compile(r'\)\s*(?:noexcept\s*)?:(?!:)')
ACCESS_RE = re.compile(
    r'^\s*(?:(?:public|protected|private)(?:\s+(?:slots|Q_SLOTS))?|signals|Q_SIGNALS)\s*:(?!:)')
# A macro standing on its own before a declaration (Q_OBJECT, Q_PROPERTY(...)).
LONE_MACRO_RE = re.compile(r'^\s*[A-Z][A-Z0-9_]*\s*(?:\((?:[^()]|\([^()]*\))*\))?\s*\n')
NAME_RE = re.compile(r'((?:~?\w+\s*::\s*)*(?:operator\s*(?:\(\)|[^\s\w(]+|\w[\w\s:*&]*?)|~?\w+))'
                     r'\s*\(')


def blank(text):
    """The text with comments, string and character literals and preprocessor
    lines replaced by blanks, line breaks kept, so that positions and line
    numbers stay those of the file."""
    out = list(text)
    i = 0
    n = len(text)
    line_start = True

    def wipe(start, end):
        for k in range(start, end):
            if out[k] != '\n':
                out[k] = ' '

    while i < n:
        c = text[i]
        if c == '\n':
            line_start = True
            i += 1
            continue
        if line_start and c in ' \t':
            i += 1
            continue
        if line_start and c == '#':
            # A directive, with its backslash continuations.
            end = i
            while end < n and text[end] != '\n':
                if text[end] == '\\' and end + 1 < n and text[end + 1] == '\n':
                    end += 2
                    continue
                if text.startswith('/*', end):
                    close = text.find('*/', end + 2)
                    end = n if close < 0 else close + 2
                    continue
                end += 1
            wipe(i, end)
            i = end
            continue
        line_start = False
        if text.startswith('//', i):
            end = text.find('\n', i)
            end = n if end < 0 else end
            wipe(i, end)
            i = end
        elif text.startswith('/*', i):
            end = text.find('*/', i + 2)
            end = n if end < 0 else end + 2
            wipe(i, end)
            i = end
        elif c == '"' or (c == "'" and not (i > 0 and (text[i - 1].isalnum()
                                                         or text[i - 1] == '_'))):
            raw = re.match(r'R"([^()\\\s]{0,16})\(', text[i - 1:i + 20]) if (
                c == '"' and i > 0 and text[i - 1] == 'R') else None
            if raw:
                close = text.find(')' + raw.group(1) + '"', i)
                end = n if close < 0 else close + len(raw.group(1)) + 2
            else:
                end = i + 1
                while end < n and text[end] != c and text[end] != '\n':
                    end += 2 if text[end] == '\\' else 1
                end = min(end + 1, n)
            # Keep the quotes themselves: extern "C" is recognised by them.
            wipe(i + 1, end - 1)
            i = end
        else:
            i += 1
    return ''.join(out)


def declaration_start(text, start, end):
    """The position of the first character of the declaration that occupies
    text[start:end], past access specifiers and lone macros before it."""
    header = text[start:end]
    offset = 0
    while True:
        rest = header[offset:]
        match = ACCESS_RE.match(rest) or LONE_MACRO_RE.match(rest)
        if not match or not rest[match.end():].strip():
            break
        offset += match.end()
    rest = header[offset:]
    return start + offset + (len(rest) - len(rest.lstrip()))


def function_name(header):
    """The name of the function declared by header (for the report)."""
    flat = ' '.join(header.split())
    if 'operator' not in flat:
        # Template arguments may hold parentheses (std::function<void()>).
        previous = None
        while previous != flat:
            previous = flat
            flat = re.sub(r'<[^<>]*>', '', flat)
    match = NAME_RE.search(flat)
    return re.sub(r'\s+', '', match.group(1)) if match else '?'


def outside_parentheses(text):
    """The text without what stands between parentheses."""
    depth = 0
    kept = []
    for ch in text:
        if ch == '(':
            depth += 1
        elif ch == ')':
            depth = max(depth - 1, 0)
        elif depth == 0:
            kept.append(ch)
    return ''.join(kept)


def is_assignment(header):
    """Whether header assigns (a variable initialized with a lambda, say),
    apart from default arguments and operator names."""
    top = re.sub(r'\boperator\s*[^\s\w(]*', 'operator', outside_parentheses(header))
    return re.search(r'(?<![=!<>])=(?!=)', top) is not None


def kind_of(header):
    """What an opening brace opens at namespace or class scope: 'namespace',
    'class', 'function', 'initializer' (the braces of one member in a
    constructor's initializer list) or 'other' (a variable's initializer, an
    enum's list, ...), whose contents hold no function."""
    stripped = header.rstrip()
    if NAMESPACE_RE.search(stripped) or EXTERN_RE.search(stripped):
        return 'namespace'
    if '(' not in stripped and CLASS_RE.search(stripped):
        return 'other' if re.search(r'\benum\b', stripped) else 'class'
    if INITIALIZERS_RE.search(stripped):
        # Inside the list, a brace after a member's name initializes it; the
        # body's brace follows a finished initializer.
        if re.search(r'[\w>]\s*$', stripped):
            return 'initializer'
        if stripped.endswith(')') or stripped.endswith('}'):
            return 'function'
    if FUNCTION_TAIL_RE.search(stripped) and not is_assignment(stripped):
        return 'function'
    return 'other'


def matching_brace(code, i):
    """The position of the brace that closes the one at code[i]."""
    depth = 0
    for j in range(i, len(code)):
        if code[j] == '{':
            depth += 1
        elif code[j] == '}':
            depth -= 1
            if depth == 0:
                return j
    return len(code) - 1


def functions(text):
    """(name, first line, last line) of each function defined in text."""
    code = blank(text)
    line_starts = [0] + [m.end() for m in re.finditer('\n', code)]

    def line_of(position):
        return bisect.bisect_right(line_starts, position)

    found = []
    # The braces open at namespace or class scope, by kind.
    scopes = []
    header_start = 0
    i = 0
    while i < len(code):
        c = code[i]
        if c == '{':
            start = declaration_start(code, header_start, i)
            kind = kind_of(code[start:i])
            if kind == 'function':
                close = matching_brace(code, i)
                found.append((function_name(code[start:i]), line_of(start), line_of(close)))
                i = close
                header_start = close + 1
            elif kind in ('namespace', 'class', 'initializer'):
                scopes.append(kind)
                if kind != 'initializer':
                    header_start = i + 1
            else:
                # A variable's initializer or an enum's list: passed over whole.
                i = matching_brace(code, i)
        elif c == '}':
            if scopes and scopes.pop() != 'initializer':
                header_start = i + 1
        elif c == ';':
            header_start = i + 1
        i += 1
    return found


def sources(paths, excludes):
    """The C++ files named by paths or below them, in a stable order, but for
    those below an excluded path."""
    for path in paths:
        if os.path.isfile(path):
            candidates = [path]
        else:
            candidates = []
            for folder, dirs, files in os.walk(path):
                dirs.sort()
                for name in sorted(files):
                    if name.endswith(('.cpp', '.h')):
                        candidates.append(os.path.join(folder, name))
        for candidate in candidates:
            components = '/' + os.path.abspath(candidate).replace(os.sep, '/') + '/'
            if any('/' + e.strip('/') + '/' in components for e in excludes):
                continue
            yield candidate


def main(argv):
    parser = argparse.ArgumentParser(description='Reports functions longer than a limit.')
    parser.add_argument('paths', nargs='+', help='directories or files to scan')
    parser.add_argument('--limit', type=int, default=DEFAULT_LIMIT,
                        help='longest function allowed, in lines (default %(default)s)')
    parser.add_argument('--exclude', action='append', default=[], metavar='PATH',
                        help='skip files below these path components (repeatable)')
    args = parser.parse_args(argv)

    too_long = 0
    for path in sources(args.paths, args.exclude):
        with open(path, encoding='utf-8', errors='replace') as f:
            text = f.read()
        for name, first, last in functions(text):
            length = last - first + 1
            if length > args.limit:
                print('%s:%d: %s is %d lines (limit %d)' % (path, first, name, length, args.limit))
                too_long += 1
    return 1 if too_long else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

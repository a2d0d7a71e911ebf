#!/usr/bin/env python3
"""Checks that no file-local name of a source can be reached from another source of its target.

The unity build compiles a target's sources in batches, several files to one translation unit:
there a file-local helper (anonymous namespace or namespace-scope static) of one file is seen by
the files after it. Two files with a file-local name in common then either fail to build or, for
functions, silently call the other file's overload, depending on how the files happen to be
batched; so a name is refused here when it is file-local in two files of one target:

  check_file_local_names.py LIST...

Each LIST names a target's sources, one path a line (the first line is the target's name); the
files compiled on their own (listed with a leading "-") are left out. Exit status 1 when a name is
file-local in two files of one target; each such name is printed with its files.
"""
import re
import sys

KEYWORDS = set("""alignas alignof and asm auto bool break case catch char char8_t char16_t char32_t class
concept const consteval constexpr constinit const_cast continue co_await co_return co_yield decltype default
delete do double dynamic_cast else enum explicit export extern false float for friend goto if inline int long
mutable namespace new noexcept not nullptr operator or private protected public register reinterpret_cast
requires return short signed sizeof static static_assert static_cast struct switch template this thread_local
throw true try typedef typeid typename union unsigned using virtual void volatile wchar_t while final override
int8_t int16_t int32_t int64_t uint8_t uint16_t uint32_t uint64_t size_t intptr_t uintptr_t""".split())

# Names a library finds by argument-dependent lookup, one overload per type: GoogleTest's printers.
OVERLOADS_BY_DESIGN = {'PrintTo'}

TOKEN = re.compile(r'[A-Za-z_]\w*|::|\d[\w.]*|\S')


def strip(text):
    """The text without comments, string and character literals, and preprocessor lines."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i)
            i = n if j < 0 else j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            i = n if j < 0 else j + 2
            out.append(' ')
        elif c == 'R' and text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(')' + m.group(1) + '"', i) if m else -1
            i = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""')
        elif c in '"\'':
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == '\\' else 1
            i = j + 1
            out.append('""')
        elif c == '#' and (not out or ''.join(out[-1:]).endswith('\n') or text[:i].rstrip(' \t').endswith('\n')):
            # A preprocessor line, continuations included.
            while i < n and text[i] != '\n':
                i += 2 if text[i] == '\\' else 1
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def declared_name(statement):
    """The name a namespace-scope statement (tokens, nested blocks left out) declares, or None."""
    tokens = [t for t in statement if t != '{}']
    # A template's parameters are not what it declares.
    while len(tokens) > 1 and tokens[0] == 'template' and tokens[1] == '<':
        depth, index = 0, 1
        for index in range(1, len(tokens)):
            depth += {'<': 1, '>': -1}.get(tokens[index], 0)
            if depth == 0:
                break
        tokens = tokens[index + 1:]
    if not tokens or tokens[0] in ('using', 'namespace', 'static_assert', 'extern', 'template') and \
            len(tokens) > 1 and tokens[1] == 'namespace':
        return None
    if tokens[0] == 'using':
        return tokens[1] if len(tokens) > 2 and tokens[2] == '=' else None
    if tokens[0] == 'static_assert':
        return None
    # struct/class/enum/union definitions and declarations.
    for index, token in enumerate(tokens[:3]):
        if token in ('struct', 'class', 'union', 'enum'):
            rest = tokens[index + 1:]
            if rest and rest[0] in ('class', 'struct'):
                rest = rest[1:]
            if rest and re.match(r'[A-Za-z_]\w*$', rest[0]) and rest[0] not in KEYWORDS:
                return rest[0]
    last = None
    depth = 0
    for token in tokens:
        if token == '<':
            depth += 1
        elif token == '>':
            depth = max(0, depth - 1)
        elif depth == 0 and token in ('(', '=', '[', ';', '{'):
            break
        elif re.match(r'[A-Za-z_]\w*$', token) and token not in KEYWORDS:
            last = token
    if last is None or last == 'operator' or re.match(r'[A-Z][A-Z0-9_]*$', last):
        return None  # operators overload by type; all-capital names are macro invocations
    return last


def file_local_names(text):
    """The names a source declares in anonymous namespaces or as namespace-scope statics."""
    tokens = TOKEN.findall(strip(text))
    names = set()
    # Scope stack: 'anon', 'ns' (named namespace or extern block) or 'other'.
    stack = []
    statement = []
    is_enum_body = []
    i = 0
    while i < len(tokens):
        t = tokens[i]
        local_scope = bool(stack) and stack[-1] == 'anon'
        namespace_scope = not stack or stack[-1] in ('anon', 'ns')
        if t == '{':
            if namespace_scope and statement and statement[0] == 'namespace':
                stack.append('anon' if len(statement) == 1 else 'ns')
                statement = []
            elif namespace_scope and statement[:2] == ['extern', '""']:
                stack.append('ns')
                statement = []
            else:
                # A block of the statement: class body, function body, initialiser, enum.
                kind = 'enum' if namespace_scope and 'enum' in statement[:3] else 'other'
                if kind == 'enum' and (local_scope or 'static' in statement):
                    pass
                stack.append(kind)
                is_enum_body.append(kind == 'enum' and local_scope)
                if namespace_scope:
                    statement.append('{')
        elif t == '}':
            kind = stack.pop() if stack else 'ns'
            if kind in ('anon', 'ns'):
                statement = []
            else:
                is_enum_body.pop()
                if not stack or stack[-1] in ('anon', 'ns'):
                    statement.append('}')
                    # A function body ends its statement; a class or initialiser goes on to ';'.
                    if '(' in statement and not ('=' in statement[:statement.index('(')]) and \
                            statement[0] not in ('struct', 'class', 'enum', 'union'):
                        finish(statement, stack, names)
                        statement = []
        elif stack and stack[-1] == 'enum' and is_enum_body and is_enum_body[-1]:
            if re.match(r'[A-Za-z_]\w*$', t) and (i == 0 or tokens[i - 1] in ('{', ',')):
                names.add(t)
        elif namespace_scope:
            if t == ';':
                finish(statement, stack, names)
                statement = []
            else:
                statement.append(t)
        i += 1
    return names


def finish(statement, stack, names):
    collapsed = []
    depth = 0
    for token in statement:
        if token == '{':
            if depth == 0:
                collapsed.append('{}')
            depth += 1
        elif token == '}':
            depth -= 1
        elif depth == 0:
            collapsed.append(token)
    local = bool(stack) and stack[-1] == 'anon'
    if not local and 'static' not in collapsed[:3]:
        return
    if local or (collapsed and collapsed[0] == 'static'):
        name = declared_name([t for t in collapsed if t != 'static'])
        if name:
            names.add(name)


def main(lists):
    failed = False
    for path in lists:
        with open(path, encoding='utf-8') as f:
            lines = [line.strip() for line in f if line.strip()]
        target, entries = lines[0], lines[1:]
        separate = {e[1:] for e in entries if e.startswith('-')}
        sources = sorted({e for e in entries if not e.startswith('-') and e.endswith(('.cpp', '.cc'))} - separate)
        texts, local = {}, {}
        for source in sources:
            with open(source, encoding='utf-8', errors='replace') as f:
                texts[source] = strip(f.read())
            local[source] = file_local_names(texts[source])
        owners = {}
        for source in sources:
            for name in local[source]:
                owners.setdefault(name, []).append(source)
        for name, files in sorted(owners.items()):
            if len(files) > 1 and name not in OVERLOADS_BY_DESIGN:
                failed = True
                print(f'{target}: "{name}" is file-local in {len(files)} files: ' + ', '.join(files))
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env python3
"""Checks that no source includes from a layer above its own, nor a library its folder may not use.

The tree grows in layers (the framework core, the user-interface framework, the device model and
engine, the editor, the program), each built as a library that links only the layers below it.
One include root serves them all, so a header of a higher layer would compile anywhere; this check
holds the table of which layer may include which, in the spirit of Chromium's DEPS files, with a
few narrower rules inside a layer and the folders that may include each outside library:

  check_layers.py SRC-ROOT

Every .h and .cpp under SRC-ROOT is read; each #include that breaks a rule is printed with its
file, line and the rule. Exit status 1 when any does.
"""
import os
import re
import sys

# The layers from the bottom up: the folders (under src/) each holds, and the layers below it that
# its files may include from. A file belongs to the layer of its longest matching folder.
LAYERS = [
    # The settings library's exported interface is what the core loads it by.
    ('core', ['Platform', 'RIZozivirod', 'Platform/IniFileManager/IniFileManagerExports.h'], []),
    ('ui', ['RIZozivirod/Renderer', 'RIZozivirod/Utilities/Graphics', 'RIZozivirod/ControlBase',
            'RIZozivirod/Controls', 'RIZozivirod/Application/Services', 'RIZozivirod/Application/Windows',
            'RIZozivirod/System/Desktop',
            'Platform/Graphics', 'Platform/Fonts', 'Platform/Resources', 'Platform/Sdl', 'Platform/OpenGL',
            'Platform/Desktop'], ['core']),
    ('settings', ['Platform/IniFileManager'], ['core']),
    ('device', ['DeviceControl', 'Engine'], ['core']),
    ('editor', ['UI'], ['core', 'ui', 'device']),
    ('program', ['Panel'], ['core', 'ui', 'device', 'editor', 'settings']),
]

# Narrower rules: files under the first folder include nothing under the second.
FOLDER_RULES = [
    ('RIZozivirod/ControlBase', 'RIZozivirod/Controls', 'the control base knows none of the controls'),
    ('RIZozivirod/ControlBase', 'RIZozivirod/Application/Windows',
     'the control base knows no window of the application'),
    ('Platform', 'RIZozivirod/Renderer', 'the platform layers know no renderer of the framework'),
    ('Platform', 'RIZozivirod/ControlBase', 'the platform layers know no control'),
    ('Platform', 'RIZozivirod/Application', 'the platform layers know no application'),
    ('RIZozivirod', 'Platform/Sdl', 'the framework reaches the desktop through Platform/Desktop'),
    ('RIZozivirod/Renderer', 'RIZozivirod/Application/Windows',
     'the renderers know no window of the application'),
    ('RIZozivirod/Utilities/Graphics', 'RIZozivirod/Application/Windows',
     'fonts and pictures know no window of the application'),
    ('RIZozivirod/Application/Services', 'RIZozivirod/Application/Windows',
     'the application\'s services know no window of the application'),
]

# Outside libraries: the pattern of their headers and the folders or files that may include them.
LIBRARIES = [
    ('SDL', r'SDL\w*\.h', ['Platform/Sdl', 'Platform/OpenGL']),
    ('Cairo', r'cairo[\w-]*\.h', ['Platform', 'RIZozivirod/Renderer/Gdi', 'RIZozivirod/Renderer/FontRenderer']),
    ('expat', r'expat\w*\.h', ['RIZozivirod/ControlBase/ControlFactoryXmlReader.cpp']),
    ('RtMidi', r'(rtmidi/)?RtMidi\.h', ['Platform/Midi']),
    ('GL', r'(GL|EGL|KHR)/.*', ['Platform/OpenGL', 'RIZozivirod/Renderer/OpenGL']),
    ('FreeType and fontconfig', r'(ft2build\.h|freetype/.*|fontconfig/.*)',
     ['Platform/Fonts', 'RIZozivirod/Renderer/FontRenderer']),
    ('libpng', r'png\.h', ['Platform/Graphics']),
    ('X11', r'X11/.*', ['Platform']),
    ('POSIX', r'(unistd|fcntl|poll|pthread|dlfcn|spawn|dirent|termios|sys/\w+)\.h', ['Platform']),
]

# Includes that break a rule and are still to move, each with where it should go (none today). A
# new include of the same kind elsewhere is refused; one listed here that is gone is said, so that
# the list only shrinks.
KNOWN = {}

INCLUDE = re.compile(r'^[ \t]*#[ \t]*include[ \t]*([<"])([^>"]+)[>"]', re.M)


def under(path, folder):
    return path == folder or path.startswith(folder + '/')


def layer_of(path):
    best, best_length = None, -1
    for name, folders, _ in LAYERS:
        for folder in folders:
            if under(path, folder) and len(folder) > best_length:
                best, best_length = name, len(folder)
    return best


def allowed_layers(layer):
    for name, _, below in LAYERS:
        if name == layer:
            return {name, *below}
    return set()


def refusal(path, included, quoted):
    """Why path may not include included, or None."""
    if quoted:
        target = layer_of(included)
        if target is None:
            return None  # generated headers and files beside the includer
        own = layer_of(path)
        if own is not None and target not in allowed_layers(own):
            return f'the {own} layer includes from the {target} layer above it'
        for folder, forbidden, reason in FOLDER_RULES:
            if under(path, folder) and under(included, forbidden):
                return reason
        return None
    for name, pattern, folders in LIBRARIES:
        if re.fullmatch(pattern, included):
            if not any(under(path, folder) for folder in folders):
                return f'{name} is included only in ' + ', '.join(folders)
    return None


def check(root):
    """The refusals under root, as (path, line, included, reason), and the known ones not seen."""
    refused, seen = [], set()
    for folder, _, files in os.walk(root):
        for name in sorted(files):
            if not name.endswith(('.h', '.cpp')):
                continue
            full = os.path.join(folder, name)
            path = os.path.relpath(full, root).replace(os.sep, '/')
            with open(full, encoding='utf-8', errors='replace') as source:
                text = source.read()
            for match in INCLUDE.finditer(text):
                included = match.group(2)
                reason = refusal(path, included, match.group(1) == '"')
                if reason is None:
                    continue
                if (path, included) in KNOWN:
                    seen.add((path, included))
                    continue
                line = text.count('\n', 0, match.start()) + 1
                refused.append((path, line, included, reason))
    return refused, set(KNOWN) - seen


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    refused, gone = check(argv[1])
    for path, line, included, reason in sorted(refused):
        print(f'{path}:{line}: includes {included}: {reason}')
    for path, included in sorted(gone):
        print(f'note: {path} no longer includes {included}; take it off the known list')
    return 1 if refused else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""The layering check on small trees of its own: each case is one file with one include, refused or
let through, and the check's exit status over a tree that holds a refused include."""
import os
import subprocess
import sys
import tempfile
import unittest

TOOLS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools')
sys.path.insert(0, TOOLS)
import check_layers  # noqa: E402

# (file, include as written, the words of the refusal or None when it passes)
CASES = [
    ('RIZozivirod/ObjectBase/Thing.h', '"RIZozivirod/Controls/Button.h"', 'core layer includes from the ui'),
    ('RIZozivirod/Utilities/Storage/Thing.cpp', '"UI/DeviceView.h"', 'core layer includes from the editor'),
    ('Engine/Thing.cpp', '"RIZozivirod/Renderer/Renderer.h"', 'device layer includes from the ui'),
    ('UI/Thing.cpp', '"Panel/Application.h"', 'editor layer includes from the program'),
    ('RIZozivirod/ControlBase/Thing.cpp', '"RIZozivirod/Controls/Slider.h"', 'knows none of the controls'),
    ('Platform/Sdl/Thing.h', '"RIZozivirod/Renderer/Gdi/GDIRenderer.h"', 'no renderer'),
    ('RIZozivirod/Renderer/Thing.cpp', '"RIZozivirod/Application/Windows/RootWindow.h"', 'no window'),
    ('RIZozivirod/Application/Windows/Thing.h', '"Platform/Sdl/SdlInput.h"', 'through Platform/Desktop'),
    ('RIZozivirod/Application/Windows/Thing.h', '<SDL.h>', 'SDL is included only in'),
    ('RIZozivirod/ControlBase/ControlFactory.cpp', '<expat.h>', 'expat is included only in'),
    ('RIZozivirod/System/Thing.cpp', '<unistd.h>', 'POSIX is included only in'),
    ('RIZozivirod/Controls/Thing.cpp', '<cairo.h>', 'Cairo is included only in'),
    # Through: a layer below, the own layer, the libraries where they belong, the standard library.
    ('UI/Thing.cpp', '"RIZozivirod/Controls/Button.h"', None),
    ('Panel/Thing.cpp', '"UI/DeviceView.h"', None),
    ('RIZozivirod/Controls/Thing.cpp', '"RIZozivirod/ControlBase/Control.h"', None),
    ('RIZozivirod/ControlBase/Thing.cpp', '"RIZozivirod/Notification/Notification.h"', None),
    ('RIZozivirod/Renderer/Thing.cpp', '"RIZozivirod/Application/Services/ApplicationServices.h"', None),
    ('Platform/Sdl/Thing.cpp', '<SDL.h>', None),
    ('RIZozivirod/ControlBase/ControlFactoryXmlReader.cpp', '<expat.h>', None),
    ('Platform/Threads/Thing.cpp', '<pthread.h>', None),
    ('RIZozivirod/ObjectBase/Thing.h', '<vector>', None),
]


class CheckLayersTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp(prefix='skylet-layers-')
        self.addCleanup(lambda: subprocess.run(['rm', '-rf', root], check=False))
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, 'w', encoding='utf-8') as out:
                out.write(text)
        return root

    def test_each_include_is_refused_or_let_through_by_its_rule(self):
        for path, include, words in CASES:
            with self.subTest(path=path, include=include):
                root = self.tree({path: f'#pragma once\n\n#include {include}\n'})
                refused, _ = check_layers.check(root)
                if words is None:
                    self.assertEqual(refused, [])
                else:
                    self.assertEqual(len(refused), 1)
                    self.assertEqual(refused[0][:3], (path, 3, include.strip('"<>')))
                    self.assertIn(words, refused[0][3])

    def test_the_check_fails_on_a_tree_with_a_climbing_include_and_names_it(self):
        root = self.tree({
            'RIZozivirod/ObjectBase/Fine.h': '#include "RIZozivirod/ObjectBase/Other.h"\n',
            'RIZozivirod/ObjectBase/Climbs.cpp': '// a comment\n  #  include "UI/EditPanel.h"\n',
        })
        run = subprocess.run([sys.executable, os.path.join(TOOLS, 'check_layers.py'), root],
                             capture_output=True, text=True, check=False)
        self.assertEqual(run.returncode, 1)
        self.assertIn('RIZozivirod/ObjectBase/Climbs.cpp:2: includes UI/EditPanel.h', run.stdout)
        self.assertNotIn('Fine.h', run.stdout)


if __name__ == '__main__':
    unittest.main()

#!/usr/bin/env python3
"""Tests of tools/check_layers.py on small source trees made for each case."""

import os
import shutil
import subprocess
import sys
import tempfile
import textwrap
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CHECKER = os.path.join(HERE, "..", "..", "tools", "check_layers.py")

MANIFEST = """\
core:
platform: core
graphics: core platform
fonts: core graphics
program: core platform
"""


class LayerCheck(unittest.TestCase):
    def setUp(self):
        self.root = tempfile.mkdtemp(prefix="layers-")
        self.manifest = os.path.join(self.root, "modules.txt")
        self.write_manifest(MANIFEST)
        for module in ("core", "platform", "graphics", "fonts", "program"):
            os.makedirs(os.path.join(self.root, "media", module))
        os.makedirs(os.path.join(self.root, "game"))
        # A tree that keeps every rule.
        self.write("media/core/strings.h", """\
            #pragma once
            #include <string>
            namespace core {
            constexpr int kLimit = 4;
            extern "C" int c_function(int);
            struct Text { std::string value; static int count; };
            int Length(const Text& text);
            inline int Twice(int n) { static int calls = 0; ++calls; return 2 * n; }
            }  // namespace core
            """)
        self.write("media/core/strings.cpp", """\
            #include "media/core/strings.h"
            namespace { int g_calls = 0; }  // state in a source file is not checked here
            int core::Length(const core::Text& text) { ++g_calls; return int(text.value.size()); }
            """)
        self.write("media/platform/backend.cpp", """\
            #include <SDL2/SDL.h>
            #include <GL/gl.h>
            #include <unistd.h>
            #include "media/core/strings.h"
            """)
        self.write("media/graphics/gl/driver.cpp", """\
            #include <GL/gl.h>
            #include "media/graphics/graphics.h"
            """)
        self.write("media/graphics/graphics.h", """\
            #pragma once
            #include "media/platform/backend.h"
            const char* const kDriverName = "OpenGL";
            """)
        self.write("media/fonts/font.cpp", """\
            #include "media/fonts/font.h"
            #include "media/graphics/graphics.h"
            // std::exit(1) in a comment ends nothing
            const char* kText = "exit(2)";
            void Register() { std::atexit([] {}); }
            """)
        self.write("media/program/program.cpp", """\
            #include <cstdlib>
            void End(int status) { std::exit(status); }
            """)
        self.write("game/main.cpp", """\
            #include "media/media.h"
            #include "game/state.h"
            """)

    def tearDown(self):
        shutil.rmtree(self.root)

    def write(self, relative, text):
        path = os.path.join(self.root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(textwrap.dedent(text))

    def write_manifest(self, text):
        with open(self.manifest, "w", encoding="utf-8") as f:
            f.write(text)

    def check(self):
        """(exit status, finding lines) of the checker on the tree."""
        run = subprocess.run([sys.executable, CHECKER, "--root", self.root, "--modules", self.manifest],
                             capture_output=True, text=True, check=False)
        findings = [line for line in run.stderr.splitlines() if not line.startswith("check_layers:")]
        return run.returncode, findings

    def assert_only_finding(self, where, *words):
        status, findings = self.check()
        self.assertEqual(status, 1, findings)
        self.assertEqual(len(findings), 1, findings)
        self.assertTrue(findings[0].startswith(where + ":"), findings[0])
        for word in words:
            self.assertIn(word, findings[0])

    def test_a_tree_that_keeps_the_rules_passes(self):
        self.assertEqual(self.check(), (0, []))

    def test_an_include_of_a_module_not_declared_is_named(self):
        self.write("media/graphics/image.cpp", """\
            #include "media/graphics/graphics.h"

            #include "media/fonts/font.h"
            """)
        self.assert_only_finding("media/graphics/image.cpp:3", "'graphics' does not declare 'fonts'")

    def test_a_module_may_not_include_the_games_view_of_the_layer(self):
        self.write("media/fonts/glyph.cpp", '#include "media/media.h"\n')
        self.assert_only_finding("media/fonts/glyph.cpp:1", "media/media.h")

    def test_platform_headers_stay_in_the_platform(self):
        for header in ("SDL2/SDL.h", "SDL.h", "EGL/egl.h", "X11/Xlib.h", "unistd.h", "sys/stat.h", "poll.h"):
            with self.subTest(header=header):
                self.write("media/graphics/window.cpp", f"#include <{header}>\n")
                self.assert_only_finding("media/graphics/window.cpp:1", header)
        self.write("media/graphics/window.cpp", "#include <cstdio>\n#include <ctime>\n")
        self.assertEqual(self.check(), (0, []))

    def test_gl_headers_only_in_the_platform_and_the_gl_driver(self):
        self.write("media/graphics/draw.cpp", "\n#include <GL/glext.h>\n")
        self.assert_only_finding("media/graphics/draw.cpp:2", "OpenGL")
        os.remove(os.path.join(self.root, "media/graphics/draw.cpp"))
        self.write("game/hud.cpp", "#include <GL/gl.h>\n")
        self.assert_only_finding("game/hud.cpp:1", "OpenGL")

    def test_the_game_sees_only_media_h(self):
        self.write("game/flow.cpp", '#include "media/media.h"\n#include "media/platform/backend.h"\n')
        self.assert_only_finding("game/flow.cpp:2", "media/media.h only")
        self.write("game/flow.cpp", "#include <SDL2/SDL.h>\n")
        self.assert_only_finding("game/flow.cpp:1", "SDL2/SDL.h")

    def test_the_media_layer_never_includes_the_game(self):
        self.write("media/fonts/font.h", '#pragma once\n#include "game/state.h"\n')
        self.assert_only_finding("media/fonts/font.h:2", "never reaches into the game")

    def test_mutable_and_extern_variables_in_media_headers_are_named(self):
        cases = {
            "int g_count;": "mutable",
            "extern int g_epoch;": "extern",
            "extern const int kTable[4];": "extern",
            "static bool g_ready = false;": "mutable",
            "inline std::vector<int> g_list = {1, 2};": "mutable",
            "std::map<int, std::string> g_names{};": "mutable",
            "const char* g_title = \"Zarn\";": "mutable",
            "struct { int x; } g_point;": "mutable",
        }
        for declaration, kind in cases.items():
            with self.subTest(declaration=declaration):
                self.write("media/fonts/font.h", f"#pragma once\nnamespace fonts {{\n{declaration}\n}}\n")
                self.assert_only_finding("media/fonts/font.h:3", kind)
        fine = """\
            #pragma once
            #include <functional>
            namespace fonts {
            constexpr int kSize = 30;
            inline constexpr std::string_view kName = "Font2";
            const int kCount = 3;
            const char* const kFile = "font.ttf";
            int Height();
            std::function<void()> Hook(int which);
            template <typename T> T& Slot() { static T* slot = new T; return *slot; }
            class Glyph { public: static int made; int width = 0; };
            enum class Style : int { Plain, Smooth };
            using Size = int;
            }  // namespace fonts
            """
        self.write("media/fonts/font.h", fine)
        self.assertEqual(self.check(), (0, []))

    def test_only_the_program_module_ends_the_process(self):
        for call in ("std::exit(2);", "exit(0);", "_exit(1);", "std::quick_exit(3);", "abort();"):
            with self.subTest(call=call):
                self.write("media/platform/backend.cpp", "void Present() {\n  " + call + "\n}\n")
                self.assert_only_finding("media/platform/backend.cpp:2", "only media/program/ ends the process")
        self.write("media/platform/backend.cpp", "void Register() { std::atexit(Stop); object.exit(); }\n")
        self.assertEqual(self.check(), (0, []))
        self.write("game/flow.cpp", "void Leave() { std::exit(0); }\n")
        self.assert_only_finding("game/flow.cpp:1", "ends the process")

    def test_the_declared_modules_form_no_cycle_and_cover_every_folder(self):
        self.write_manifest(MANIFEST.replace("platform: core", "platform: core fonts"))
        status, findings = self.check()
        self.assertEqual(status, 1)
        self.assertTrue(any("cycle" in f and "fonts" in f and "platform" in f for f in findings), findings)
        self.write_manifest(MANIFEST)
        os.makedirs(os.path.join(self.root, "media", "network"))
        self.assert_only_finding("media/network:1", "no module")
        shutil.rmtree(os.path.join(self.root, "media", "network"))
        self.write_manifest(MANIFEST + "audio: core mixer\n")
        os.makedirs(os.path.join(self.root, "media", "audio"))
        self.assert_only_finding("media/audio/CMakeLists.txt:1", "'mixer', which is no module")

    def test_an_unreadable_module_list_fails_with_its_name(self):
        self.write_manifest("core\n")
        status, findings = self.check()
        self.assertEqual(status, 1)
        self.assertTrue(any("modules.txt:1" in f for f in findings), findings)


if __name__ == "__main__":
    unittest.main()

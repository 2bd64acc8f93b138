#!/usr/bin/env python3
"""Checks the layering rules of the source tree and names every file that breaks one.

The media layer is a set of modules, one folder each below media/, and the build
declares which modules each one uses (media/*/CMakeLists.txt; the build writes the
list to media_modules.txt). Include paths cannot keep the modules apart, since a
system header such as <SDL2/SDL.h> compiles from anywhere, so this check reads the
sources instead:

  - a media module includes only its own headers and those of the modules it
    declares; the declared modules form no cycle, and every folder is declared;
  - SDL, EGL, X11 and POSIX headers only in media/platform/; OpenGL headers only in
    media/platform/ and media/graphics/gl/;
  - the game includes nothing of media/ but media/media.h;
  - no media header declares an extern variable or a mutable variable at
    namespace scope (module state lives in core::ModuleState);
  - only media/program/ ends the process.

Usage: check_layers.py --root SOURCE_DIR --modules MANIFEST
Exit status 0 when the tree keeps every rule, 1 otherwise (one line per finding).
"""

import argparse
import os
import re
import sys

PLATFORM_HEADERS = re.compile(
    r"^(SDL[^/]*|SDL2/.*|EGL/.*|KHR/.*|X11/.*|wayland-.*|xcb/.*|"
    r"unistd\.h|fcntl\.h|sys/.*|pwd\.h|grp\.h|poll\.h|dlfcn\.h|pthread\.h|"
    r"dirent\.h|termios\.h|malloc\.h|semaphore\.h|sched\.h|spawn\.h|libgen\.h|"
    r"glob\.h|netdb\.h|netinet/.*|arpa/.*|syslog\.h|linux/.*)$"
)
GL_HEADERS = re.compile(r"^(GL/.*|GLES[0-9]*/.*|epoxy/.*|glad/.*)$")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
# Calls that end the process. `atexit` registers a handler and ends nothing.
PROCESS_END = re.compile(r"(?<![\w.>:])(?:std::|::)?(exit|_exit|_Exit|quick_exit|abort)\s*\(")

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc")


def read_manifest(path):
    """module -> list of declared modules, from lines `name: dep dep ...`."""
    modules = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line:
                continue
            name, sep, deps = line.partition(":")
            if not sep or not name.strip():
                raise ValueError(f"{path}:{number}: expected 'module: dependencies'")
            modules[name.strip()] = deps.split()
    return modules


def blank(text):
    """The text with every character but line breaks made a space."""
    return re.sub(r"[^\n]", " ", text)


def strip_comments_and_strings(text):
    """The text with comments and string and character literals blanked out, line
    breaks kept, so positions still give line numbers."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
        elif text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            # A raw string literal R"delim( ... )delim".
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if m is None:
                out.append(c)
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i + m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            # The quotes stay, so `extern "C"` can still be told apart.
            out.append(c + blank(text[i + 1 : j - 1]) + text[j - 1 : j])
            i = j
            continue
        else:
            out.append(c)
            i += 1
            continue
        out.append(blank(text[i:j]))
        i = j
    return "".join(out)


def line_of(text, pos):
    return text.count("\n", 0, pos) + 1


def strip_templates(statement):
    """The statement without what stands between template angle brackets."""
    previous = None
    while previous != statement:
        previous = statement
        statement = re.sub(r"<[^<>;{}]*>", "", statement)
    return statement


def namespace_scope_variables(text):
    """(line, statement) for every declaration at namespace scope that declares an
    extern variable or a mutable variable. `text` has no comments or strings."""
    findings = []
    # The open scopes: True for a namespace (or an extern "C" block), False for
    # anything else (classes, functions, enums, initialisers).
    scopes = []
    start = 0  # where the current statement began
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if c == "#" and text[start:i].strip() == "":  # a preprocessor line
            j = text.find("\n", i)
            i = n if j < 0 else j
            start = i
            continue
        if c == "{":
            head = text[start:i]
            if all(scopes) and is_initializer_head(head):
                # The braces belong to the declaration: skip them, the statement goes on.
                i = matching_brace(text, i) + 1
                continue
            namespace = all(scopes) and re.search(r"\bnamespace\b[\w\s:]*$|\bextern\s*\"\s*\"\s*$", head)
            scopes.append(bool(namespace))
            start = i + 1
        elif c == "}":
            if scopes:
                scopes.pop()
            start = i + 1
        elif c == ";":
            if all(scopes):
                statement = text[start:i]
                if is_variable_finding(statement.strip()):
                    first = start + len(statement) - len(statement.lstrip())
                    findings.append((line_of(text, first), " ".join(statement.split())))
            start = i + 1
        i += 1
    return findings


def matching_brace(text, i):
    """The position of the brace closing the one at i (the end when none does)."""
    depth = 0
    for j in range(i, len(text)):
        if text[j] == "{":
            depth += 1
        elif text[j] == "}":
            depth -= 1
            if depth == 0:
                return j
    return len(text) - 1


def is_initializer_head(head):
    """True when a brace after `head` starts the initialiser of a variable rather
    than a namespace, class, enum or function body."""
    flat = strip_templates(head).strip()
    if not flat or re.match(r"(class|struct|union|enum|namespace|extern\s*\")\b", flat):
        return False
    if re.search(r"\b(class|struct|union|enum)\b", flat.split("=", 1)[0]):
        return False
    declarator = flat.split("=", 1)[0]
    if "(" in declarator or ")" in declarator:
        return False  # a function body (or a constructor's initialiser list)
    return "=" in flat or re.fullmatch(r"[\w:\s*&\[\]]+", flat) is not None


def is_variable_finding(statement):
    """True for an extern variable or a mutable variable declaration."""
    if not statement:
        return False
    words = statement.split()
    first = words[0]
    if first in ("using", "typedef", "template", "friend", "static_assert", "namespace", "class",
                 "struct", "union", "enum", "return", "concept", "export", "module", "import"):
        # `class X;` forward declarations, aliases, templates (functions or
        # variable templates, which must be constexpr to be of use here anyway).
        return False
    if re.match(r'extern\s*"', statement):
        return False
    flat = strip_templates(statement)
    if re.match(r"extern\b", flat):
        return "(" not in flat  # an extern function declaration is no variable
    if re.search(r"\bconstexpr\b|\bconsteval\b", flat):
        return False
    # A function declaration: a parameter list before any initialiser.
    before_init = flat.split("=", 1)[0]
    if "(" in before_init:
        return False
    if "=" not in flat and "{" not in flat and not re.search(r"\w\s*$", flat):
        return False
    # const objects are not mutable; a pointer to const is, unless the pointer
    # itself is const (`const char* const name`).
    declarator = before_init
    if "*" in declarator or "&" in declarator:
        last = re.split(r"[*&]", declarator)[-1]
        return not re.search(r"\bconst\b", last)
    return not re.search(r"\bconst\b", declarator)


class Checker:
    def __init__(self, root, modules):
        self.root = root
        self.modules = modules
        self.findings = []

    def report(self, path, line, message):
        rel = os.path.relpath(path, self.root)
        self.findings.append(f"{rel}:{line}: {message}")

    def sources(self, folder):
        top = os.path.join(self.root, folder)
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            for name in sorted(filenames):
                if name.endswith(SOURCE_SUFFIXES):
                    yield os.path.join(dirpath, name)

    def check_graph(self):
        media = os.path.join(self.root, "media")
        manifest_note = "(declare it with zarn_media_module in its CMakeLists.txt)"
        for name, deps in sorted(self.modules.items()):
            for dep in deps:
                if dep not in self.modules:
                    self.report(os.path.join(media, name, "CMakeLists.txt"), 1,
                                f"module '{name}' declares '{dep}', which is no module")
                elif dep == name:
                    self.report(os.path.join(media, name, "CMakeLists.txt"), 1,
                                f"module '{name}' declares itself")
        if os.path.isdir(media):
            for entry in sorted(os.listdir(media)):
                if os.path.isdir(os.path.join(media, entry)) and entry not in self.modules:
                    self.report(os.path.join(media, entry), 1, f"folder media/{entry} is no module {manifest_note}")
        # Cycles, by depth-first search over the declared graph.
        state = {}

        def visit(name, path):
            state[name] = "open"
            for dep in self.modules.get(name, []):
                if dep not in self.modules or dep == name:
                    continue
                if state.get(dep) == "open":
                    cycle = path[path.index(dep):] + [dep]
                    self.report(os.path.join(media, name, "CMakeLists.txt"), 1,
                                "modules depend on each other in a cycle: " + " -> ".join(cycle))
                elif dep not in state:
                    visit(dep, path + [dep])
            state[name] = "done"

        for name in sorted(self.modules):
            if name not in state:
                visit(name, [name])

    def check_file(self, path):
        rel = os.path.relpath(path, self.root).replace(os.sep, "/")
        parts = rel.split("/")
        in_media = parts[0] == "media"
        in_game = parts[0] == "game"
        module = parts[1] if in_media and len(parts) > 2 else None
        in_platform = module == "platform"
        in_gl = in_platform or rel.startswith("media/graphics/gl/")
        with open(path, encoding="utf-8", errors="replace") as f:
            raw = f.read()
        for m in INCLUDE.finditer(raw):
            line = line_of(raw, m.start(2))
            bracket, target = m.group(1), m.group(2)
            if not in_platform and PLATFORM_HEADERS.match(target):
                self.report(path, line, f"includes <{target}>: the window system and the operating system "
                                        "are reached through media/platform/ only")
                continue
            if not in_gl and GL_HEADERS.match(target):
                self.report(path, line, f"includes <{target}>: OpenGL is used in media/platform/ and "
                                        "media/graphics/gl/ only")
                continue
            if bracket != '"':
                continue
            if in_game and target.startswith("media/") and target != "media/media.h":
                self.report(path, line, f'includes "{target}": the game includes media/media.h only')
            elif in_media and target.startswith("game/"):
                self.report(path, line, f'includes "{target}": the media layer never reaches into the game')
            elif module is not None and target.startswith("media/"):
                target_parts = target.split("/")
                if len(target_parts) == 2:
                    self.report(path, line, f'includes "{target}": a media module includes the headers of '
                                            "the modules it uses, not the game's view of the layer")
                    continue
                used = target_parts[1]
                if used != module and used not in self.modules.get(module, []):
                    declared = " ".join(self.modules.get(module, [])) or "nothing"
                    self.report(path, line, f"includes \"{target}\": module '{module}' does not declare "
                                            f"'{used}' (it declares: {declared})")
        code = strip_comments_and_strings(raw)
        if (in_media and module != "program") or in_game:
            for m in PROCESS_END.finditer(code):
                self.report(path, line_of(code, m.start()),
                            f"calls {m.group(1)}(): only media/program/ ends the process "
                            "(Quit, QuitWithError, or an action handed to the backend)")
        if in_media and path.endswith((".h", ".hpp")):
            for line, statement in namespace_scope_variables(code):
                kind = "an extern variable" if statement.startswith("extern") else "a mutable variable"
                self.report(path, line, f"declares {kind} at namespace scope ({statement}); "
                                        "keep module state in core::ModuleState and reach it through functions")

    def run(self):
        self.check_graph()
        for folder in ("media", "game"):
            for path in self.sources(folder):
                self.check_file(path)
        return self.findings


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True, help="the source tree")
    parser.add_argument("--modules", required=True, help="the module list the build wrote")
    args = parser.parse_args(argv)
    try:
        modules = read_manifest(args.modules)
    except OSError as error:
        print(f"{args.modules}: {error.strerror}", file=sys.stderr)
        return 1
    except ValueError as error:
        print(error, file=sys.stderr)
        return 1
    findings = Checker(os.path.abspath(args.root), modules).run()
    for finding in findings:
        print(finding, file=sys.stderr)
    if findings:
        print(f"check_layers: {len(findings)} finding(s); docs/architecture.md gives the rules", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))

#!/usr/bin/env bash
# Draws docs/modules.svg: the media layer's modules, the game and the program, and
# the third-party libraries each module links, from the build's own target graph
# (CMake's --graphviz output). Solid arrows are the modules a module declares
# (public), dotted ones the libraries private to it.
#   tools/docs/module_graph.sh [BUILD_DIR]   (default: build; configured if missing)
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" >/dev/null
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cat >"$build/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GRAPH_NAME "modules")
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_CUSTOM_TARGETS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "test_support;GTest::.*;gtest.*;benchmark::.*;nlohmann.*;assetgen;fontfit;.*_test;.*_fuzz;.*_bench")
OPTIONS
(cd "$build" && cmake --graphviz="$work/full.dot" . >/dev/null)
rm -f "$build/CMakeGraphVizOptions.cmake"
/usr/bin/python3 - "$work/full.dot" "$work/modules.dot" <<'FILTER'
import re, sys
text = open(sys.argv[1]).read()
labels = dict(re.findall(r'"(node\d+)" \[ label = "([^"]+)"', text))
edges = re.findall(r'"(node\d+)" -> "(node\d+)"(?: \[ style = (\w+) \])?', text)
# The project's targets and the libraries they name; file paths behind imported
# targets, what those libraries link in turn, and the legend are left out.
def keep(label):
    return not label.startswith(("/", "-")) and label != "ZLIB::ZLIB"
nodes = sorted({labels[n] for e in edges for n in e[:2] if n in labels and keep(labels[n])})
out = ['digraph modules {', '  rankdir = BT;', '  compound = true;', '  newrank = true;',
       '  node [ fontname = "DejaVu Sans", fontsize = 11 ];', '  edge [ arrowsize = 0.7 ];']
# The modules inside one box: the target `media` stands for all of them.
out += ['  subgraph cluster_media {', '    label = "media (the layer: every module)";',
        '    fontname = "DejaVu Sans"; fontsize = 11; color = gray50;']
for label in nodes:
    if label.startswith("media_"):
        out.append(f'    "{label}" [ label = "{label[6:]}", shape = box, style = filled, fillcolor = "#dde8f5" ];')
out.append("  }")
for label in nodes:
    if label.startswith("media"):
        continue
    shape = "box" if label in ("game", "zarn") else "ellipse"
    out.append(f'  "{label}" [ shape = {shape} ];')
for a, b, style in edges:
    la, lb = labels.get(a), labels.get(b)
    if la is None or lb is None or not keep(la) or not keep(lb) or la == "media":
        continue
    attrs = []
    if lb == "media":  # into the box
        lb = "media_graphics"
        attrs.append("lhead = cluster_media")
    if style == "dotted":
        attrs.append("style = dotted")
    if lb == "media_core":  # every module uses core: drawn faint
        attrs.append("color = gray70")
    out.append(f'  "{la}" -> "{lb}"' + (f" [ {', '.join(attrs)} ];" if attrs else ";"))
out.append("}")
open(sys.argv[2], "w").write("\n".join(out) + "\n")
FILTER
dot -Tsvg "$work/modules.dot" -o "$root/docs/modules.svg"
echo "wrote docs/modules.svg"

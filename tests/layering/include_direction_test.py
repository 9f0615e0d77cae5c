#!/usr/bin/env python3
"""The include-direction check against small source trees, each with one known fault, so that a
check that has stopped looking fails here instead of passing quietly on the real tree."""
import pathlib
import subprocess
import sys
import tempfile

CHECK = pathlib.Path(__file__).with_name("include_direction.py")

# A tree that holds: every part in its place, a text core of one source that reaches a header.
CLEAN = {
    "CMakeLists.txt": "add_library(ormix_text STATIC\n  src/common/text.cpp\n)\n",
    "res/product_config.h.in": "#define X 1\n",
    "src/common/text.cpp": '#include "common/text.h"\n#include <cstring>\n',
    "src/common/text.h": '#include <string_view>\n#include "product_config.h"\n',
    "src/common/box.cpp": "#include <windows.h>\n",
    "src/runtime/search.cpp": '#include "common/text.h"\n#include "runtime/search.h"\n',
    "src/runtime/search.h": "",
    "src/bootstrap/offer.cpp": '#include "common/text.h"\n',
    "src/diagnostics/log.cpp": '#include "common/text.h"\n',
    "tests/support/helper.h": "",
    "tests/runtime/search_test.cpp": ('#include "runtime/search.h"\n#include "support/helper.h"\n'
                                      '#include "local.h"\n'),
    "src/launcher/main.cpp": ('#include "bootstrap/offer.cpp"\n#include "runtime/search.h"\n'
                              '#include "diagnostics/log.cpp"\n#include <windows.h>\n'),
}

# (name, files added to the clean tree, what the report must say; None: the check passes)
CASES = [
    ("clean tree", {}, None),
    ("common includes runtime", {"src/common/more.h": '#include "runtime/search.h"\n'},
     'src/common/more.h:1: includes "runtime/search.h": common may include only common, '
     "not runtime"),
    ("runtime includes bootstrap", {"src/runtime/other.cpp": '\n#include "bootstrap/offer.cpp"\n'},
     'src/runtime/other.cpp:2: includes "bootstrap/offer.cpp": runtime may include only common, '
     "runtime, not bootstrap"),
    ("diagnostics includes the launcher",
     {"src/diagnostics/report.cpp": '#  include "launcher/main.cpp"\n'},
     'src/diagnostics/report.cpp:1: includes "launcher/main.cpp"'),
    ("text core reaches a Windows header through a header",
     {"src/common/text.h": '#include <string_view>\n#include <shlwapi.h>\n'},
     "src/common/text.h:2: includes <shlwapi.h> (reached from src/common/text.cpp)"),
    ("text core source includes a Windows header",
     {"src/common/text.cpp": "#include <windows.h>\n"},
     "src/common/text.cpp:1: includes <windows.h>: the text core"),
    ("include of nothing known", {"src/runtime/search.h": '#include "nowhere.h"\n'},
     'src/runtime/search.h:1: includes "nowhere.h", which is neither under src/'),
    ("new part without a place", {"src/extras/x.cpp": ""},
     "src/extras: a part of src/ that has no place in the dependency order"),
    ("test header under a product prefix",
     {"tests/runtime/samples.h": "", "tests/runtime/a_test.cpp": ('#include "runtime/search.h"\n'
                                                                  '#include "runtime/samples.h"\n')},
     'tests/runtime/a_test.cpp:2: includes "runtime/samples.h", which is no header of src/runtime'),
]


def run(files):
    with tempfile.TemporaryDirectory() as folder:
        root = pathlib.Path(folder)
        for name, text in {**CLEAN, **files}.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text)
        result = subprocess.run([sys.executable, str(CHECK), str(root)], capture_output=True,
                                text=True)
        return result.returncode, result.stderr


def main():
    failures = 0
    for name, files, expected in CASES:
        code, report = run(files)
        if expected is None:
            ok = code == 0 and report == ""
        else:
            ok = code == 1 and expected in report
        print(f"{'ok  ' if ok else 'FAIL'} {name}")
        if not ok:
            failures += 1
            print(f"     exit code {code}, report:\n{report}     expected: {expected}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

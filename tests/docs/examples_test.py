#!/usr/bin/python3
"""Every example in the READMEs and docs/ does what it shows.

A fenced block is an example by its language:
- console: each "$ " line is run by bash, with the build's ljungcv first on
  PATH, in a directory that holds a copy of the build's korvalen.so and
  bindings/fixture-rows.csv as rows.csv; what it writes (standard output and
  error, in order) must be the lines up to the next "$ " line, byte for byte;
- c: a whole program, built against include/ and the build's libkorvalen and
  run; its output must be the ```text block that follows;
- r: an R session ("> " and "+ " lines are typed, the rest is what R
  prints), run by R with the package from R_LIBRARY;
- pycon: a doctest, run with the korvalen this interpreter imports.
Other blocks (sh, cmake, text after no program) are instructions, not examples.
Usage: examples_test.py BUILD_DIR R_LIBRARY [FILE.md ...]
"""
import doctest
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

BUILD, R_LIBRARY = (os.path.abspath(a) for a in sys.argv[1:3])
SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FENCE = re.compile(r"^```(\w*)\n(.*?)^```\n", re.M | re.S)


def run(args, **kwargs):
    """What args write, standard output and error in order."""
    kwargs.setdefault("cwd", SOURCE)
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          errors="replace", **kwargs).stdout


def console(text):
    env = dict(os.environ, PATH=f"{BUILD}:{os.environ['PATH']}", LC_ALL="C.UTF-8")
    with tempfile.TemporaryDirectory() as tmp:
        shutil.copy(f"{BUILD}/module/korvalen.so", tmp)
        shutil.copy(f"{SOURCE}/bindings/fixture-rows.csv", f"{tmp}/rows.csv")
        for command, expected in re.findall(r"^\$ (.*)\n((?:(?!\$ ).*\n)*)", text, re.M):
            got = run(["bash", "-c", command], cwd=tmp, env=env)
            if got != expected:
                yield f"$ {command}\n--- shown\n{expected}--- printed\n{got}"


def c_program(text, expected):
    with tempfile.TemporaryDirectory() as tmp:
        with open(f"{tmp}/example.c", "w", encoding="utf-8") as source:
            source.write(text)
        build = subprocess.run(["cc", "-std=c11", "-Wall", "-Werror", f"-I{SOURCE}/include", f"{tmp}/example.c",
                                "-o", f"{tmp}/example", f"{BUILD}/lib/libkorvalen.so.1", f"-Wl,-rpath,{BUILD}/lib"],
                               capture_output=True, text=True)
        if build.returncode != 0:
            yield f"does not build:\n{build.stderr}"
            return
        got = run([f"{tmp}/example"])
    if expected is None:
        yield "a program without a ```text block of its output after it"
    elif got != expected:
        yield f"--- shown\n{expected}--- printed\n{got}"


def r_session(text):
    typed = "".join(line[2:] + "\n" for line in text.splitlines() if line.startswith(("> ", "+ ")))
    env = dict(os.environ, R_LIBS=R_LIBRARY, LC_ALL="C.UTF-8")
    got = run(["R", "--vanilla", "--quiet", "--no-save"], input=typed, env=env)
    got = re.sub(r"(?m)^> \n?\Z", "", got)  # the prompt after the last line
    if got != text:
        yield f"--- shown\n{text}--- printed\n{got}"


def python_session(text, name):
    test = doctest.DocTestParser().get_doctest(text, {}, name, name, 0)
    out = []
    doctest.DocTestRunner(optionflags=doctest.REPORT_NDIFF).run(test, out=out.append)
    if out:
        yield "".join(out)


def examples(path):
    blocks = [(m.group(1), m.group(2), m.start()) for m in FENCE.finditer(open(path, encoding="utf-8").read())]
    for i, (language, text, offset) in enumerate(blocks):
        where = f"{os.path.relpath(path, SOURCE)}, block at character {offset}"
        if language == "console":
            found = console(text)
        elif language == "c":
            following = blocks[i + 1] if i + 1 < len(blocks) else None
            found = c_program(text, following[1] if following and following[0] == "text" else None)
        elif language == "r":
            found = r_session(text)
        elif language == "pycon":
            found = python_session(text, where)
        else:
            continue
        yield language, where, list(found)


def main():
    paths = sys.argv[3:] or [f"{SOURCE}/README.md", *sorted(glob.glob(f"{SOURCE}/docs/*.md")),
                             f"{SOURCE}/bindings/r/README.md", f"{SOURCE}/bindings/python/README.md"]
    counts, failures = {}, 0
    for path in paths:
        for language, where, problems in examples(path):
            counts[language] = counts.get(language, 0) + 1
            for problem in problems:
                failures += 1
                print(f"{where} ({language}):\n{problem}")
    print(", ".join(f"{count} {language}" for language, count in sorted(counts.items())) + f" examples: {failures} failed")
    return 1 if failures or not counts else 0


if __name__ == "__main__":
    sys.exit(main())

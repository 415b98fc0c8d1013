#!/usr/bin/python3
"""Checks that a manual page documents what the program's --help lists: the
same options, each with the same value placeholder and the same default.

    manual_in_step.py MANUAL.1 PROGRAM
"""

import re
import shlex
import subprocess
import sys

OPTION = re.compile(r"^  (--[a-z-]+(?:, --[a-z-]+)*)(?: (?!--)(\S+))?(?:\s{2,}(.*))?$")


def help_default(text):
    found = re.search(r"\[([^\]]+)\]", text) or re.search(r"\bdefault (\S+)", text)
    return found.group(1) if found else None


def from_help(program):
    """{option: (placeholder, default)} from the program's --help."""
    text = subprocess.run([program, "--help"], check=True, capture_output=True, text=True).stdout
    options = {}
    for line in text.splitlines():
        match = OPTION.match(line)
        if not match:
            continue
        names, placeholder, description = match.groups()
        for name in names.split(", "):
            options[name] = (placeholder, help_default(description or ""))
    return options


def roff_text(text):
    return text.replace("\\-", "-").replace("\\ ", " ").replace("\\(de", "°").replace("\\(S3", "³")


def from_manual(path):
    """{option: (placeholder, default)} from the .TP entries of a manual page."""
    with open(path, encoding="utf-8") as manual:
        lines = manual.read().splitlines()
    options = {}
    for index, line in enumerate(lines):
        if line != ".TP" or index + 1 >= len(lines):
            continue
        tag = lines[index + 1]
        if not re.match(r"^\.(B|BI|BR) \\-\\-", tag):
            continue
        # Font macros alternate their arguments without spaces between them.
        words = "".join(shlex.split(roff_text(tag.split(" ", 1)[1])))
        name, _, placeholder = words.partition(" ")
        body = []
        for following in lines[index + 2:]:
            if re.match(r"^\.(TP|SS|SH|PP)\b", following):
                break
            body.append(roff_text(following))
        found = re.search(r"\(default ([^)]+)\)", " ".join(body))
        options[name] = (placeholder or None, found.group(1) if found else None)
    return options


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    manual, program = argv[1], argv[2]
    listed, documented = from_help(program), from_manual(manual)
    problems = []
    for name in sorted(set(listed) | set(documented)):
        if name not in documented:
            problems.append(f"{name}: in --help, not in {manual}")
        elif name not in listed:
            problems.append(f"{name}: in {manual}, not in --help")
        elif listed[name] != documented[name]:
            problems.append(f"{name}: --help says (value, default) = {listed[name]}, the manual {documented[name]}")
    for problem in problems:
        print(problem)
    if not listed:
        problems.append("no options found in --help")
        print(problems[-1])
    print(f"{len(listed)} options of --help checked against {manual}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

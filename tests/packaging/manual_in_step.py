#!/usr/bin/python3
"""Checks that a manual page documents what the program's --help lists: the
same options, each with the same value placeholder and the same default, and
the same exit statuses.

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


def help_text(program):
    return subprocess.run([program, "--help"], check=True, capture_output=True, text=True).stdout


def statuses_in_help(text):
    """The exit statuses listed under "Exit status:" in --help."""
    section = text.split("\nExit status:\n", 1)[1] if "\nExit status:\n" in text else ""
    return {int(m.group(1)) for m in re.finditer(r"^  (\d+)  ", section.split("\n\n", 1)[0], re.M)}


def statuses_in_manual(path):
    """The exit statuses listed as .TP entries of the EXIT STATUS section."""
    with open(path, encoding="utf-8") as manual:
        text = manual.read()
    section = text.split(".SH EXIT STATUS\n", 1)[1].split("\n.SH ", 1)[0] if ".SH EXIT STATUS" in text else ""
    return {int(m.group(1)) for m in re.finditer(r"^\.TP\n(\d+)$", section, re.M)}


def from_help(text):
    """{option: (placeholder, default)} from the program's --help."""
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
    text = help_text(program)
    listed, documented = from_help(text), from_manual(manual)
    problems = []
    for name in sorted(set(listed) | set(documented)):
        if name not in documented:
            problems.append(f"{name}: in --help, not in {manual}")
        elif name not in listed:
            problems.append(f"{name}: in {manual}, not in --help")
        elif listed[name] != documented[name]:
            problems.append(f"{name}: --help says (value, default) = {listed[name]}, the manual {documented[name]}")
    told, explained = statuses_in_help(text), statuses_in_manual(manual)
    if told != explained:
        problems.append(f"exit statuses: --help lists {sorted(told)}, the manual {sorted(explained)}")
    for problem in problems:
        print(problem)
    if not listed:
        problems.append("no options found in --help")
        print(problems[-1])
    print(f"{len(listed)} options and {len(told)} exit statuses of --help checked against {manual}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

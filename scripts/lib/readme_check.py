"""The parts of scripts/check-readme: run from the top of the tree with the parts to check
(building, example, figures). Prints what it runs and checks; status 1 when the README and the
tree part."""
import difflib
import os
import re
import subprocess
import sys
import tempfile

README = "README.md"


def section(text, heading):
    """The lines under a heading, up to the next heading of the same or a higher level."""
    level = heading.split(" ")[0]
    lines = text.split("\n")
    try:
        start = lines.index(heading) + 1
    except ValueError:
        sys.exit(f"check-readme: no section '{heading}' in {README}")
    end = start
    while end < len(lines):
        match = re.match(r"(#+) ", lines[end])
        if match and len(match.group(1)) <= len(level):
            break
        end += 1
    return lines[start:end]


def blocks(lines):
    """Fenced blocks as (language, text)."""
    found, current, language = [], None, ""
    for line in lines:
        if current is None and line.startswith("```"):
            current, language = [], line[3:].strip()
        elif current is not None and line == "```":
            found.append((language, "\n".join(current) + "\n"))
            current = None
        elif current is not None:
            current.append(line)
    return found


def files_written_at_top(script):
    """Files a block's redirections write outside build/ (the README's image.tga, fused.trace)."""
    names = set()
    for match in re.finditer(r"(?<![0-9&])>\s*([A-Za-z0-9_.][A-Za-z0-9_./-]*)", script):
        name = match.group(1)
        if not name.startswith(("build/", "/")) and "/" not in name:
            names.add(name)
    return names


def guard(scripts):
    """Stops before a run that would write over a file the user has at the top of the tree."""
    names = set()
    for script in scripts:
        names |= files_written_at_top(script)
    there = sorted(name for name in names if os.path.lexists(name))
    if there:
        print(f"check-readme: the README's commands write {', '.join(there)} at the top of the "
              "tree, and it is there already: move it away first", file=sys.stderr)
        sys.exit(2)
    return names


def check_building(readme):
    scripts = [text for language, text in blocks(section(readme, "## Building by hand"))
               if language == "sh"]
    if not scripts:
        sys.exit("check-readme: no sh block under 'Building by hand'")
    written = guard(scripts)
    try:
        for number, script in enumerate(scripts, 1):
            print(f"check-readme: 'Building by hand', block {number}", flush=True)
            subprocess.run(["bash", "-euxo", "pipefail", "-c", script], check=True)
    except subprocess.CalledProcessError as error:
        print(f"check-readme: a block of 'Building by hand' fails: {error}", file=sys.stderr)
        return False
    finally:
        for name in written:
            if os.path.lexists(name):
                os.remove(name)
    print(f"check-readme: the {len(scripts)} blocks of 'Building by hand' work as written")
    return True


def strip_comment(line):
    return re.sub(r"\s+#.*$", "", line)


def shown_differs(what, shown, printed):
    if shown == printed:
        print(f"check-readme: {what}: prints what the README shows")
        return False
    print(f"check-readme: {what}: prints otherwise than the README shows:", file=sys.stderr)
    sys.stderr.writelines(difflib.unified_diff(shown.splitlines(True), printed.splitlines(True),
                                               "README", "printed"))
    return True


def check_example(readme):
    """Each sh block runs whole, its last command's standard output kept; the plain block right
    after it is what that command prints. A plain block of "$ command" lines holds commands and
    what each prints. Any other plain block (the catalogue test's square root) is not run."""
    found = blocks(section(readme, "### A worked example"))
    scripts = [text for language, text in found if language == "sh"]
    scripts += [line[2:] for language, text in found if language == ""
                for line in text.splitlines() if line.startswith("$ ")]
    written = guard(scripts)
    log = tempfile.NamedTemporaryFile("w+", prefix="check-readme-", suffix=".log", delete=False)
    faults, compared, previous = 0, 0, None
    try:
        for language, text in found:
            if language == "sh":
                lines = [line for line in text.splitlines() if line.strip()]
                last = strip_comment(lines[-1])
                print(f"check-readme: running the block that ends in '{last}'", flush=True)
                setup = subprocess.run(["bash", "-euo", "pipefail", "-c", "\n".join(lines[:-1])],
                                       stdout=log, stderr=log)
                if setup.returncode != 0:
                    print(f"check-readme: the block before '{last}' fails (status "
                          f"{setup.returncode}); its output is in {log.name}", file=sys.stderr)
                    return False
                run = subprocess.run(["bash", "-c", last], stdout=subprocess.PIPE, stderr=log,
                                     text=True)
                previous = (last, run.stdout)
            elif language == "" and text.startswith("$ "):
                parts = re.split(r"^\$ (.*)\n", text, flags=re.M)
                for command, shown in zip(parts[1::2], parts[2::2]):
                    run = subprocess.run(["bash", "-c", command], stdout=subprocess.PIPE,
                                         stderr=log, text=True)
                    faults += shown_differs(command, shown, run.stdout)
                    compared += 1
                previous = None
            elif language == "" and previous is not None:
                faults += shown_differs(previous[0], text, previous[1])
                compared += 1
                previous = None
    finally:
        log.close()
        for name in written:
            if os.path.lexists(name):
                os.remove(name)
    if faults == 0:
        os.remove(log.name)
        print(f"check-readme: the worked example's {compared} outputs are as the README shows")
    else:
        print(f"check-readme: {faults} of the worked example's {compared} outputs differ "
              f"(the commands' standard error: {log.name})", file=sys.stderr)
    return faults == 0


def sections_of(program):
    """Section sizes of an ELF file by name, from readelf (any processor's), and under "writable"
    the sum of every allocated writable section's: what `size -B` counts as data and bss."""
    out = subprocess.run(["readelf", "-SW", program], stdout=subprocess.PIPE, text=True,
                         check=True).stdout
    sizes = {"writable": 0}
    pattern = (r"\]\s+(\S+)\s+\S+\s+[0-9a-f]+\s+[0-9a-f]+\s+([0-9a-f]+)\s+[0-9a-f]+\s+"
               r"([A-Za-z]*)\s+\d+\s+\d+\s+\d+")
    for match in re.finditer(pattern, out):
        size = int(match.group(2), 16)
        sizes[match.group(1)] = sizes.get(match.group(1), 0) + size
        if "A" in match.group(3) and "W" in match.group(3):
            sizes["writable"] += size
    return sizes


def symbol_size(program, name):
    out = subprocess.run(["readelf", "-sW", "-C", program], stdout=subprocess.PIPE, text=True,
                         check=True).stdout
    for line in out.splitlines():
        fields = line.split(None, 7)
        if len(fields) == 8 and fields[7] == name:
            return int(fields[2], 0)
    return None


def grouped(number):
    return f"{number:,}"


def static_memory(sizes):
    return sizes["writable"]


def code(sizes):
    return sizes.get(".text", 0)


def constants(sizes):
    return sum(size for name, size in sizes.items() if name.startswith((".rodata", ".srodata")))


def span(values, show):
    low, high = show(min(values)), show(max(values))
    return low if low == high else f"{low} to {high}"


def tell(what, stated, readme, faults, checked):
    if stated in readme:
        print(f"check-readme: {what}: '{stated}', as the README says")
        return faults, checked + 1
    print(f"check-readme: {what}: the README should say '{stated}'", file=sys.stderr)
    return faults + 1, checked + 1


def check_figures(readme):
    """Each figure: the builds it is measured on, how, and the words the README states it in,
    with {} where the measured figure goes."""
    freestanding = [f"build/freestanding-{target}/raymarch"
                    for target in ("x86_64", "aarch64", "riscv64", "riscv32")]
    kb = lambda n: f"{round(n / 1000)}"
    data = lambda x: x.get(".data", 0) + x.get(".bss", 0)
    image = lambda x: x.get(".text", 0) + x.get(".rodata", 0) + x.get(".data", 0)
    figures = [
        ("the default build's static memory (size -B: data + bss)",
         ["build/release/raymarch"], lambda s: grouped(static_memory(s[0])),
         "| default, hosted x86-64 (g++ -O3) | {} bytes"),
        ("the small-memory build's static memory",
         ["build/small-memory/raymarch"], lambda s: grouped(static_memory(s[0])),
         "| small memory, hosted x86-64 | {} bytes"),
        ("the freestanding programs' zeroed data",
         freestanding, lambda s: span([x.get(".bss", 0) + x.get(".sbss", 0) for x in s], grouped),
         "Static memory: {} bytes of zeroed data (`.bss`)"),
        ("the freestanding programs' code",
         freestanding, lambda s: span([code(x) for x in s], kb), "code {} KB"),
        ("the freestanding programs' constants",
         freestanding, lambda s: span([constants(x) for x in s], kb), "constants {} KB"),
    ]
    def frames(program):
        """Every function's frame at once, as the bare-metal memory check bounds the stack."""
        total = 0
        for folder, _, names in os.walk(os.path.dirname(program)):
            for name in names:
                if name.endswith(".su"):
                    with open(os.path.join(folder, name), encoding="utf-8") as su:
                        total += sum(int(line.split("\t")[1]) for line in su if "\t" in line)
        return total

    def deepest(program):
        """The stack bound the bare-metal memory check takes: the deepest chain of calls where
        GCC wrote call graphs, otherwise every frame at once."""
        graphs = [os.path.join(folder, name)
                  for folder, _, names in os.walk(os.path.dirname(program))
                  for name in names if name.endswith(".ci")]
        if not graphs:
            return f"{grouped(frames(program))} bytes (sum)"
        tool = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                            "baremetal", "deepest-stack")
        run = subprocess.run([tool, program, "raymarchReset", *graphs], capture_output=True,
                             text=True, check=False)
        if run.returncode != 0:
            return f"no chain ({run.stderr.strip()})"
        return f"{grouped(int(run.stdout.split()[0]))} bytes (chain)"

    stacks = []
    for machine in ("riscv64-virt", "riscv32-virt", "aarch64-virt", "arm-virt", "mps2-an386"):
        program = f"build/baremetal-{machine}/raymarch"
        small = " (small memory)" if machine == "mps2-an386" else ""
        stacks.append((f"the bare-metal {machine} program's memory", [program],
                       lambda programs, small=small, machine=machine: (
                           f"| `baremetal-{machine}`{small} | "
                           f"{grouped(data(sections_of(programs[0])))} bytes | "
                           f"{grouped(image(sections_of(programs[0])))} bytes | "
                           f"{deepest(programs[0])} |"), "{}"))
    # The README wraps its lines anywhere: compare with every run of blanks as one space.
    readme = re.sub(r"\s+", " ", readme)
    faults = checked = 0
    for what, programs, measure, words in figures:
        missing = [p for p in programs if not os.path.isfile(p)]
        if missing:
            print(f"check-readme: not checked, {what}: {', '.join(missing)} not built")
            continue
        stated = words.format(measure([sections_of(p) for p in programs]))
        faults, checked = tell(what, stated, readme, faults, checked)
    for what, programs, measure, words in stacks:
        missing = [p for p in programs if not os.path.isfile(p)]
        if missing:
            print(f"check-readme: not checked, {what}: {', '.join(missing)} not built")
            continue
        faults, checked = tell(what, words.format(measure(programs)), readme, faults, checked)
    if os.path.isfile("build/release/raymarch"):
        cells = symbol_size("build/release/raymarch", "rm::kSculptureCells")
        stated = (f"{cells // 1024} KiB of them the table of sculpture cells" if cells
                  else "no kSculptureCells")
        checked += 1
        if cells and cells % 1024 == 0 and stated in readme:
            print(f"check-readme: the table of sculpture cells: '{stated}', as the README says")
        else:
            faults += 1
            print(f"check-readme: the table of sculpture cells: the README should say "
                  f"'{stated}' ({cells} bytes)", file=sys.stderr)
    print(f"check-readme: {checked - faults} of {checked} figures as the README states them")
    return faults == 0


def main():
    with open(README, encoding="utf-8") as file:
        readme = file.read()
    checks = {"building": check_building, "example": check_example, "figures": check_figures}
    good = True
    for part in sys.argv[1:]:
        good = checks[part](readme) and good
    sys.exit(0 if good else 1)


if __name__ == "__main__":
    main()

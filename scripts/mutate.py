#!/usr/bin/python3
"""Mechanical faults for scripts/mutants.sh --sample.

  mutate.py sample COVERAGE_JSON ROOT N SEED [GLOB ...]   writes the sample
  mutate.py apply TREE MUTANT                             applies one of them
  mutate.py equivalent LIST TREE MUTANT                   exit 0 when LIST names it
  mutate.py retry LOG ROOT                                the survivors of a run's log, again

A sampled mutant is one tab-separated line:
  path  line  what  original-line  mutated-line
drawn from the lines the coverage build executed, spread over the files by
how many such lines each has; the same coverage, tree and seed give the same
sample. `apply` refuses (exit 1) when the line no longer reads as sampled.
`retry` finds each survivor of a log by its text, wherever the line has
moved (of like lines the nearest); one whose text is gone is named and left
out.
"""
import fnmatch
import json
import random
import re
import sys

DEFAULT_GLOBS = ["src/*", "tools/*"]
EXCLUDED = ["tools/dev/*"]


def masked_lines(text):
    """The file's lines with comments and the insides of string and
    character literals blanked out, so that no fault lands in them."""
    out, in_block = [], False
    for line in text.split("\n"):
        chars, i, n = list(line), 0, len(line)
        quote = None
        while i < n:
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    chars[i] = chars[i + 1] = " "
                    in_block = False
                    i += 2
                    continue
                chars[i] = " "
            elif quote:
                if c == "\\" and i + 1 < n:
                    chars[i] = chars[i + 1] = " "
                    i += 2
                    continue
                if c == quote:
                    quote = None
                else:
                    chars[i] = " "
            elif line.startswith("//", i):
                for j in range(i, n):
                    chars[j] = " "
                break
            elif line.startswith("/*", i):
                chars[i] = chars[i + 1] = " "
                in_block = True
                i += 2
                continue
            elif c in "\"'":
                # a digit separator (1'000) is no character literal
                if c == "'" and i > 0 and line[i - 1].isalnum() and i + 1 < n and line[i + 1].isalnum():
                    i += 1
                    continue
                quote = c
            i += 1
        out.append("".join(chars))
    return out


SWAPS = [
    (r" (<=|>=|<|>) ", {"<": "<=", "<=": "<", ">": ">=", ">=": ">"}, "boundary"),
    (r" (==|!=) ", {"==": "!=", "!=": "=="}, "equality"),
    (r" (&&|\|\|) ", {"&&": "||", "||": "&&"}, "logic"),
    (r" (\+|-) ", {"+": "-", "-": "+"}, "arithmetic"),
    (r" (\*|/) ", {"*": "/", "/": "*"}, "arithmetic"),
    (r"\b(true|false)\b", {"true": "false", "false": "true"}, "boolean"),
]
STATEMENT = re.compile(r"^\s*(\*?[A-Za-z_][\w:.\[\]>-]*)\s*(=|\+=|-=|\*=|/=|\|=|&=|\(|\+\+|--)")
NOT_STATEMENT = re.compile(r"^\s*(return|if|else|for|while|switch|case|do|delete|throw|using|typedef|static_assert)\b")
RETURN = re.compile(r"^(\s*)return (.+);\s*$")
TRIVIAL_RETURN = {"0", "{}", '""', "false", "nullptr", "0.0", "0.0f", "std::string()", "std::nullopt"}
DECLARATION = re.compile(r"^\s*(const\s+)?[\w:<>]+[\s*&]+\w+\s*=[^=]")  # if (T* x = ...): no negation builds
INTEGER = re.compile(r"(?<![\w.'])(\d+)(?![\w.'])")


def balanced_from(code, start):
    """The index of the parenthesis that closes the one at start, or -1."""
    depth = 0
    for i in range(start, len(code)):
        if code[i] == "(":
            depth += 1
        elif code[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def candidates(line, code, rng_int):
    """(what, mutated line) for every fault this line admits."""
    out = []
    stripped = code.strip()
    if not stripped or stripped.startswith("#") or 'R"' in line:
        return out
    for pattern, swap, what in SWAPS:
        for m in re.finditer(pattern, code):
            a, b = m.span(1)
            if what == "arithmetic" and (code[a - 2:a - 1] == '"' or code[b + 1:b + 2] == '"'):
                continue  # text joined to text: the mutant would not build
            new = swap[m.group(1)]
            out.append((f"{what}: {m.group(1)} -> {new}", line[:a] + new + line[b:]))
    for m in re.finditer(r"\b(if|while) \(", code):
        open_at = m.end() - 1
        close = balanced_from(code, open_at)
        if close > 0 and ";" not in code[open_at:close] and not DECLARATION.match(code[open_at + 1:close]):
            cond = line[open_at + 1:close]
            out.append((f"negated {m.group(1)}", line[:open_at + 1] + "!(" + cond + ")" + line[close:]))
    for m in INTEGER.finditer(code):
        n = int(m.group(1))
        if m.start() > 0 and code[m.start() - 1] in "[" and code.lstrip().startswith(("int ", "char ", "double ")):
            continue  # an array's size: the mutant would not build
        k = n + 1 if n == 0 or rng_int(2) else n - 1
        out.append((f"constant: {n} -> {k}", line[:m.start()] + str(k) + line[m.end():]))
    if (STATEMENT.match(code) and not NOT_STATEMENT.match(code) and stripped.endswith(";")
            and stripped.count("(") == stripped.count(")") and stripped.count("{") == stripped.count("}")):
        indent = line[:len(line) - len(line.lstrip())]
        out.append(("statement dropped", indent + ";"))
    r = RETURN.match(code)
    if r and r.group(2).strip() not in TRIVIAL_RETURN and stripped.count("(") == stripped.count(")"):
        out.append(("return value -> {}", r.group(1) + "return {};"))
    return out


def wanted(path, globs):
    return any(fnmatch.fnmatch(path, g) for g in globs) and not any(fnmatch.fnmatch(path, g) for g in EXCLUDED)


def coverage_only(lines):
    """The numbers (from 1) of the lines that only the coverage build
    compiles: no fault there can reach the tests' build."""
    out, inside = set(), False
    for k, line in enumerate(lines, 1):
        text = line.strip()
        if text.startswith("#ifdef KADMER_COVERAGE"):
            inside = True
        elif inside and text.startswith("#endif"):
            inside = False
        elif inside:
            out.add(k)
    return out


def sample(coverage, root, n, seed, globs):
    rng = random.Random(seed)
    files = {}
    for f in json.load(open(coverage))["files"]:
        path = f["file"]
        if not wanted(path, globs):
            continue
        try:
            text = open(f"{root}/{path}").read()
        except OSError:
            continue
        lines, code = text.split("\n"), masked_lines(text)
        executed = sorted({l["line_number"] for l in f["lines"] if l["count"] > 0 and not l.get("gcovr/noncode")})
        skipped = coverage_only(lines)
        usable = [k for k in executed
                  if 0 < k <= len(lines) and k not in skipped and candidates(lines[k - 1], code[k - 1], lambda m: 0)]
        if usable:
            files[path] = (lines, code, usable)
    if not files:
        sys.exit("mutate: no executed line in the files asked for")
    # Quotas by size (executed lines that admit a fault), largest remainders first.
    total = sum(len(u) for _, _, u in files.values())
    shares = {p: n * len(u) / total for p, (_, _, u) in files.items()}
    quota = {p: min(int(s), len(files[p][2])) for p, s in shares.items()}
    for p in sorted(shares, key=lambda p: (-(shares[p] - int(shares[p])), p)):
        if sum(quota.values()) >= n:
            break
        if quota[p] < len(files[p][2]):
            quota[p] += 1
    rows = []
    for path in sorted(files):
        lines, code, usable = files[path]
        for k in sorted(rng.sample(usable, quota[path])):
            what, mutated = rng.choice(candidates(lines[k - 1], code[k - 1], rng.randrange))
            rows.append("\t".join([path, str(k), what, lines[k - 1], mutated]))
    return rows


def apply(tree, mutant):
    path, k, _what, original, mutated = mutant.split("\t")
    k = int(k)
    name = f"{tree}/{path}"
    with open(name) as f:
        lines = f.read().split("\n")
    if k > len(lines) or lines[k - 1] != original:
        sys.exit(f"mutate: {path}:{k} no longer reads as sampled")
    lines[k - 1] = mutated
    with open(name, "w") as f:
        f.write("\n".join(lines))


def retry(log, root):
    rows = []
    lines = open(log).read().split("\n")
    for i, l in enumerate(lines):
        m = re.match(r"survived: (\S+):(\d+): (.*)$", l)
        if not m or i + 2 >= len(lines):
            continue
        path, logged, what = m.group(1), int(m.group(2)), m.group(3)
        before, after = lines[i + 1].strip()[2:].strip(), lines[i + 2].strip()[2:].strip()
        try:
            text = open(f"{root}/{path}").read().split("\n")
        except OSError:
            text = []
        hits = [k for k, t in enumerate(text) if t.strip() == before]
        if not hits:
            print(f"mutate: {path}: no line reads {before}", file=sys.stderr)
            continue
        k = min(hits, key=lambda h: abs(h + 1 - logged))  # of like lines, the one nearest to where it was
        indent = text[k][:len(text[k]) - len(text[k].lstrip())]
        row = "\t".join([path, str(k + 1), what, text[k], indent + after])
        if row not in rows:  # a fault drawn twice is tried once
            rows.append(row)
    return rows


def equivalent(listed, mutant, tree):
    """Whether the list of equivalent faults (path, line before, line after,
    why; tab-separated, spaces at the ends aside) names this one. Where like
    lines differ, the line before is "ABOVE => LINE", the line above it too."""
    path, k, _what, before, after = mutant.split("\t")
    try:
        rows = open(listed).read().split("\n")
        above = open(f"{tree}/{path}").read().split("\n")[int(k) - 2].strip() if int(k) > 1 else ""
    except OSError:
        return False
    keys = [[path, before.strip(), after.strip()], [path, f"{above} => {before.strip()}", after.strip()]]
    return any(r.split("\t")[:3] in keys for r in rows if r and not r.startswith("#"))


def main(argv):
    if len(argv) >= 6 and argv[1] == "sample":
        for row in sample(argv[2], argv[3], int(argv[4]), int(argv[5]), argv[6:] or DEFAULT_GLOBS):
            print(row)
    elif len(argv) == 5 and argv[1] == "equivalent":
        sys.exit(0 if equivalent(argv[2], argv[4], argv[3]) else 1)
    elif len(argv) == 4 and argv[1] == "retry":
        for row in retry(argv[2], argv[3]):
            print(row)
    elif len(argv) == 4 and argv[1] == "apply":
        apply(argv[2], argv[3])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)

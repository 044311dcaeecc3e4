#!/usr/bin/env python3
# The agreement test must be able to fail: run against the native command
# line itself it passes; against a command line that changes one byte of one
# file, or only the exit code, it fails; a listed knife edge that differs
# passes, and one that does not differ is reported but passes. The second command line is the
# native one behind a wrapper (the test's --node), so that no WebAssembly
# build is needed.
#
#   tests/web/agreement_selftest.py build/meltsim-cli
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
AGREEMENT = os.path.join(HERE, "agreement.py")
sys.path.insert(0, HERE)
from agreement import finish  # noqa: E402  (the test's own way of reporting)

# Runs the native command line with the arguments it is given, then spoils
# what the test asked for ($SPOIL: "last-bit", "sixth-digit" and
# "fourth-digit" change the first long number of result.json by a relative
# 1e-15, 1e-6 or 1e-4, "key" renames
# its first key, "result" changes the last byte of result.txt, "stderr" adds
# a line to stderr, "exit" turns the exit code 0 into 9).
WRAPPER = """
import os, re, subprocess, sys
code = subprocess.run([os.environ["NATIVE"]] + sys.argv[1:]).returncode
spoil = os.environ["SPOIL"]

def rewrite(name, change):
    if os.path.exists(name):
        with open(name, "rb") as f:
            text = f.read()
        with open(name, "wb") as f:
            f.write(change(text))

def scaled(factor):
    def change(text):
        number = re.compile(rb"-?[0-9]+[.][0-9]{8,}(e[-+]?[0-9]+)?")
        return number.sub(lambda m: repr(float(m.group()) * factor).encode(), text, count=1)
    return change

if spoil == "last-bit":
    rewrite("result.json", scaled(1 + 1e-15))
elif spoil == "sixth-digit":
    rewrite("result.json", scaled(1 + 1e-6))
elif spoil == "fourth-digit":
    rewrite("result.json", scaled(1 + 1e-4))
elif spoil == "key":
    rewrite("result.json", lambda text: re.sub(rb'"([A-Za-z_]+)"', rb'"\\1x"', text, count=1))
elif spoil == "result":
    rewrite("result.txt", lambda text: text[:-2] + (b"0" if text[-2:-1] != b"0" else b"1") + text[-1:])
elif spoil == "stderr":
    print("spoiled", file=sys.stderr)
elif spoil == "exit" and code == 0:
    code = 9
sys.exit(code)
"""


def agreement(native, wrapper, spoil, edges, only):
    environment = dict(os.environ, NATIVE=native, SPOIL=spoil)
    done = subprocess.run([sys.executable, AGREEMENT, "--native", native, "--node", sys.executable,
                           "--web", wrapper, "--sets", "2", "--only", only,
                           "--knife-edges", edges, "--knife-edge-share", "1", "--jobs", "2"],
                          env=environment, capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def main():
    native = os.path.abspath(sys.argv[1])
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        wrapper = os.path.join(folder, "spoiled_cli.py")
        with open(wrapper, "w") as f:
            f.write(WRAPPER)
        none = os.path.join(folder, "none.txt")
        open(none, "w").close()
        listed = os.path.join(folder, "listed.txt")
        with open(listed, "w") as f:
            for mode in ("written", "rescue", "stable"):
                f.write(f"plausible-0001 {mode} a spoiled file, listed for this test\n")

        # What is spoiled, whether the test must still pass, the knife edges, the
        # cases run, and a text its output must hold.
        cases = [
            ("the same program", True, "", none, "defaults,plausible-0001", "0 failures"),
            ("a last bit of a JSON number", True, "last-bit", none, "defaults",
             "differ: in 3 runs"),
            # Beyond the tolerance of the stable series, within the written one's.
            ("a sixth digit of a JSON number", False, "sixth-digit", none, "defaults",
             "defaults stable differs: result.json"),
            ("a fourth digit of a JSON number", False, "fourth-digit", none, "defaults",
             "defaults written differs: result.json"),
            ("another JSON key", False, "key", none, "defaults",
             "defaults written differs: result.json"),
            ("a digit of the result file", False, "result", none, "defaults",
             "defaults written differs: result.txt"),
            ("another exit code", False, "exit", none, "defaults",
             "defaults written differs: exit code"),
            ("a listed knife edge", True, "stderr", listed, "plausible-0001",
             "knife edge plausible-0001 written"),
            ("a listed knife edge that agrees", True, "", listed, "plausible-0001",
             "listed as a knife edge but the builds agree"),
        ]
        for what, passes, spoil, edges, only, text in cases:
            code, output = agreement(native, wrapper, spoil, edges, only)
            if (code == 0) != passes or text not in output:
                failures.append(f"{what}: exit code {code}, expected {'0' if passes else 'not 0'}"
                                f" and {text!r} in the output:\n{output}")
    return finish(failures)


if __name__ == "__main__":
    sys.exit(main())

"""The dependency rule holds for the tree, and the check finds an include planted against it."""
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
CHECK = ROOT / "scripts" / "check-includes"


def check(src):
    return subprocess.run([sys.executable, str(CHECK), str(src)], capture_output=True, text=True)


class IncludeRule(unittest.TestCase):
    def test_the_tree_keeps_the_rule(self):
        result = check(ROOT / "src")
        self.assertEqual(result.returncode, 0, result.stdout)

    def test_planted_includes_against_the_rule_are_found(self):
        with tempfile.TemporaryDirectory() as folder:
            src = pathlib.Path(folder) / "src"
            shutil.copytree(ROOT / "src", src)
            planted = {
                "engine/Planted.cpp": '#include "audio/CaptureBackend.h"\n',  # upwards
                "audio/Planted.cpp": '#include "output/Devices.h"\n',  # same level
                "ui/Planted.cpp": '#include "desktop/WindowHost.h"\n',  # an executable
                "core/Planted.h": '  #  include "headless/PollLoop.h"\n',
            }
            for name, text in planted.items():
                (src / name).write_text(text)
            result = check(src)
            self.assertEqual(result.returncode, 1)
            for name in planted:
                self.assertIn(f"src/{name}:1:", result.stdout)
            self.assertIn("4 includes against the dependency rule", result.stdout)


if __name__ == "__main__":
    unittest.main()

"""The installed programs, run as a user or a scheduled job runs them.

`Installation(build)` installs the build folder into a temporary tree once;
`Company` is one company folder of it: loaded from a fixture with qxload,
dumped with qxdump, and worked on by the main program in command-only mode
(`qxa15 <company> /only /cmd:N`) on a key script, with today's date fixed
and the transcript kept.
"""
import json
import os
import shutil
import signal
import subprocess
import tempfile
import time


class Installation:
    def __init__(self, build):
        self.root = tempfile.mkdtemp(prefix="qxbooks")
        log = os.path.join(self.root, "install.log")
        with open(log, "w") as out:
            subprocess.run(["cmake", "--install", build, "--prefix", os.path.join(self.root, "install")],
                           stdout=out, stderr=subprocess.STDOUT, check=True)
        self.program = os.path.join(self.root, "install", "program")
        self.count = 0

    def new_folder(self, name):
        self.count += 1
        path = os.path.join(self.root, "%s%d" % (name, self.count))
        os.makedirs(path)
        return path

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)


class Run:
    def __init__(self, status, transcript, errors, killed=False):
        self.status = status
        self.transcript = transcript
        self.errors = errors
        self.killed = killed


class Company:
    def __init__(self, installation, today):
        self.inst = installation
        self.work = installation.new_folder("case")
        self.folder = os.path.join(self.work, "company")
        self.today = today
        self.runs = 0

    def load(self, fixture):
        path = os.path.join(self.work, "fixture.json")
        with open(path, "w") as f:
            json.dump(fixture, f, indent=1)
        result = subprocess.run([os.path.join(self.inst.program, "qxload"), path, self.folder],
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise AssertionError("qxload refused the generated company: " + result.stdout + result.stderr)

    def dump(self):
        result = subprocess.run([os.path.join(self.inst.program, "qxdump"), self.folder], capture_output=True)
        if result.returncode != 0:
            raise AssertionError("qxdump failed: %s" % result.stderr.decode(errors="replace"))
        return json.loads(result.stdout)["files"]

    def database_bytes(self):
        out = {}
        for name in sorted(os.listdir(self.folder)):
            path = os.path.join(self.folder, name)
            if os.path.isfile(path) and name != "qxrecords.lock":
                with open(path, "rb") as f:
                    out[name] = f.read()
        return out

    def copy(self):
        other = Company(self.inst, self.today)
        shutil.copytree(self.folder, other.folder)
        return other

    def command(self, number, keys, kill_after=None):
        """Runs command `number` on the key script `keys` (a list of keys);
        with `kill_after` (seconds), kills it with SIGKILL then if it still runs."""
        self.runs += 1
        keys_file = os.path.join(self.work, "keys%d" % self.runs)
        transcript = os.path.join(self.work, "transcript%d.txt" % self.runs)
        with open(keys_file, "w") as f:
            f.write("\n".join(keys) + "\n")
        env = dict(os.environ, QX_TODAY=self.today.isoformat(), QX_KEYS=keys_file, QX_TRANSCRIPT=transcript,
                   XDG_CONFIG_HOME=os.path.join(self.work, "config"), XDG_STATE_HOME=os.path.join(self.work, "state"),
                   TMPDIR=self.work)
        proc = subprocess.Popen([os.path.join(self.inst.program, "qxa15"), self.folder, "/only", "/cmd:%d" % number],
                                stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                env=env, cwd=self.work)
        killed = False
        if kill_after is not None:
            try:
                proc.wait(timeout=kill_after)
            except subprocess.TimeoutExpired:
                proc.send_signal(signal.SIGKILL)
                killed = True
        try:
            out, err = proc.communicate(timeout=120)
        except subprocess.TimeoutExpired:
            proc.kill()
            out, err = proc.communicate()
            raise AssertionError("command %d did not end within two minutes" % number)
        try:
            with open(transcript, encoding="utf-8", errors="replace") as f:
                text = f.read()
        except FileNotFoundError:
            text = ""
        return Run(proc.returncode, text, err.decode(errors="replace"), killed)

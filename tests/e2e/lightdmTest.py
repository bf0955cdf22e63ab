# lightdmTest.py -- the exhibition's boot: LightDM logs a user into the package's kiosk session
"""Debian's LightDM, given the README's autologin lines, logs a user into the package's kiosk
session with no greeter; the piece plays as that user in its lasting folder with its start-up
lines, `s` writes test.png there, Escape and a SIGKILL each bring a new piece within the kiosk's
limit, and once LightDM stops nothing of the session runs on. LightDM is fetched by the
machine's apt into the build folder, never installed, and runs with its X server and the
system D-Bus it needs in PID and mount namespaces of their own (LightDM's files laid over /usr
and /etc, the user in copies of /etc/passwd, group and shadow, /var under an overlay, /run and
/tmp private): the machine, its boot included, stays as it was, and ending the namespace ends
all that ran in it."""

import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

from e2eSupport import BACK, PLAYED, STARTUP, TOOL_ENV, children, new_player, package, player
from e2eSupport import processes, wait_piece

# As the README gives them to an exhibitor.
README_LINES = """
[Seat:*]
autologin-user=exhibit
autologin-user-timeout=0
autologin-session=tarvik01-kiosk
"""
# What this machine needs besides: no logind, a display number clear of the other tests'
# servers, LightDM's state in the scratch folder, the unpacked package's session, and an Xorg
# with the dummy driver (a configuration as the player's servers have) and its log kept here.
TEST_LINES = """
[LightDM]
logind-check-graphical=false
minimum-display-number=70
run-directory={0}/run
log-directory={0}/log
cache-directory={0}/cache
sessions-directory={0}/xsessions

[Seat:*]
xserver-command=X -config {0}/xorg.conf -logfile {0}/log/xorg.log
"""
# Run as the namespace's first process, as root; $0 is the scratch folder, $1 LightDM's
# unpacked packages. /run and /tmp become private, so that X's lock and socket, utmp, the bus and
# ssh-agent's folder go with the namespace; the scratch folder, which may lie in /tmp, is moved
# back to its place. After LightDM it waits, so that the test sees what of the session outlives
# it.
NAMESPACE = """set -e
mount -t overlay overlay -o "lowerdir=$1/usr:/usr" /usr
mount -t overlay overlay -o "lowerdir=$1/etc:/etc" /etc
for name in passwd group shadow; do mount --bind "$0/etc/$name" "/etc/$name"; done
mount -t overlay overlay -o "lowerdir=/var,upperdir=$0/var,workdir=$0/var-work" /var
mount -t tmpfs -o mode=0755 tmpfs /run
mkdir /run/scratch /run/dbus
mount --bind "$0" /run/scratch
mount -t tmpfs -o mode=1777 tmpfs /tmp
mkdir -p "$0"
mount --move /run/scratch "$0"
dbus-daemon --system --fork
code=0
lightdm -d --config "$0/lightdm.conf" || code=$?
echo $code >"$0/lightdm.code"
exec sleep infinity
"""
BUS = b"dbus-daemon\0--system\0--fork\0"


def lightdm_root(build):
    """LightDM and what it needs that this machine lacks, fetched by the machine's apt into
    BUILD/lightdm once and unpacked into BUILD/lightdm/root: no script of theirs runs, so no
    display manager or service becomes the machine's. Returns the root."""
    folder = build / "lightdm"
    if not (folder / "packages").exists():  # written last
        shutil.rmtree(folder, ignore_errors=True)
        (folder / "debs").mkdir(parents=True)
        asked = ["apt-get", "install", "--simulate", "--no-install-recommends", "lightdm"]
        wanted = subprocess.run(asked, capture_output=True, text=True)
        assert wanted.returncode == 0, "apt knows no lightdm: run apt-get update\n" + wanted.stderr
        names = [line.split()[1] for line in wanted.stdout.splitlines() if line[:5] == "Inst "]
        if names:
            subprocess.run(["apt-get", "download", "-qq", "-o", "APT::Sandbox::User=root", *names],
                           cwd=folder / "debs", check=True)  # fmt: skip
        for deb in (folder / "debs").glob("*.deb"):
            subprocess.run(["dpkg-deb", "-x", deb, folder / "root"], check=True)
        for name in ("usr", "etc"):  # empty where the machine has LightDM already
            (folder / "root" / name).mkdir(parents=True, exist_ok=True)
        (folder / "packages").write_text("".join(name + "\n" for name in names))
    return folder / "root"


def free_uid():
    taken = {user.pw_uid for user in pwd.getpwall()}
    return next(uid for uid in range(64100, 65000) if uid not in taken)


def pid_namespace(pid):
    return os.readlink("/proc/%d/ns/pid" % pid)


def inner(pid):
    """The pid in its own namespace of a process, or None once it is gone."""
    try:
        status = Path("/proc/%d/status" % pid).read_text()
    except OSError:
        return None
    return int(status.split("\nNSpid:")[1].split("\n")[0].split()[-1])


def same_file(link, path):
    """Whether a link of /proc names the file at path. The path it gives for a process in other
    namespaces depends on the reader's root (in a chroot, it names the chroot's folder)."""
    return os.path.samestat(os.stat(link), os.stat(path))


def owner(pid):
    status = Path("/proc/%d/status" % pid).read_text()
    return int(status.split("\nUid:")[1].split()[0])


class LightDM(unittest.TestCase):
    def test_the_user_is_logged_into_the_kiosk_which_plays_and_nothing_outlives_lightdm(self):
        scratch = Path(tempfile.mkdtemp(prefix="tarvik-lightdm-"))
        self.addCleanup(shutil.rmtree, scratch, ignore_errors=True)
        scratch.chmod(0o755)  # the user runs the unpacked package and walks to its home
        _, root = package(scratch)
        program = (root / "usr/games/tarvik01").resolve()
        session = (root / "usr/share/xsessions/tarvik01-kiosk.desktop").read_text()
        for name in ("xsessions", "run", "log", "cache", "var", "var-work", "etc", "home"):
            (scratch / name).mkdir()
        (scratch / "xsessions/tarvik01-kiosk.desktop").write_text(
            session.replace("=/usr/games/", "=%s/usr/games/" % root)
        )
        uid, home = free_uid(), scratch / "home"
        os.chown(home, uid, uid)
        added = {
            "passwd": "exhibit:x:%d:%d:exhibit:%s:/bin/sh\n" % (uid, uid, home),
            "group": "exhibit:x:%d:\n" % uid,
            "shadow": "exhibit:*:20000:0:99999:7:::\n",
        }
        for name, line in added.items():
            (scratch / "etc" / name).write_text(Path("/etc", name).read_text() + line)
        (scratch / "lightdm.conf").write_text(TEST_LINES.format(scratch) + README_LINES)
        with new_player("1280x1024,800x600", launch=False) as x:
            shutil.copy(x.state / "xorg.conf", scratch / "xorg.conf")
        # The player's server is gone; its tools now drive LightDM's display.

        log = open(scratch / "lightdm.out", "w+b")
        self.addCleanup(log.close)
        code = scratch / "lightdm.code"
        # The namespace ends with its first process, which unshare kills when it ends itself, as
        # the kernel ends unshare when this test's process ends.
        command = ["setpriv", "--pdeathsig", "KILL", "unshare", "--pid", "--kill-child",
                   "--mount-proc", "--propagation", "private", "sh", "-c", NAMESPACE]  # fmt: skip
        # Started from an X session, LightDM would nest its display in Xephyr.
        env = {k: v for k, v in TOOL_ENV.items() if k not in ("DISPLAY", "XAUTHORITY")}
        build = Path(os.environ["TARVIK_BUILD_DIR"])
        unshare = subprocess.Popen([*command, str(scratch), str(lightdm_root(build))], env=env,
                                   stdout=log, stderr=log)  # fmt: skip

        def leave_nothing():
            if not code.exists() or code.read_text() != "0\n":
                for name in ("lightdm.out", "home/.xsession-errors"):
                    said = (scratch / name).read_bytes() if (scratch / name).exists() else b""
                    print("--- %s\n%s" % (name, said[-2000:].decode("latin-1")))
            unshare.kill()
            unshare.wait()

        self.addCleanup(leave_nothing)
        init = x.wait_for("LightDM's namespace", lambda: children(unshare.pid), 30, poll=0.01,
                          may_exit=True)[0]  # fmt: skip
        mine = pid_namespace(init)

        def in_session(pid, stat):
            """Whether pid runs in LightDM's namespace and is neither its first process nor the
            bus."""
            if pid_namespace(pid) != mine or pid == init:
                return False
            return Path("/proc/%d/cmdline" % pid).read_bytes() != BUS

        def authorities():
            """LightDM's X authority, named by the display."""
            ended = unshare.poll() is not None or code.exists()
            self.assertFalse(ended, "LightDM or its namespace ended before its X server started")
            return list((scratch / "run/root").glob(":*"))

        authority = x.wait_for("LightDM's X server", authorities, 30, may_exit=True)[0]
        x.display, x.tool_env["XAUTHORITY"] = authority.name, str(authority)
        folder = home / ".local/share/tarvik01"
        pieces = []

        def next_piece(ended, timeout):
            """The next piece's pid and when it showed. LightDM's X server, and so pieces, know
            it by its pid in the namespace."""
            ours = lambda pid, _: same_file("/proc/%d/exe" % pid, program)  # noqa: E731
            here = {}  # pid in the namespace: pid here

            def running():
                here.update((inner(pid), pid) for pid in processes(ours))
                return [pid for pid in here if pid]

            pid, shown = wait_piece(self, x, pieces, running, ended, timeout)
            pid = here[pid]
            cwd = "/proc/%d/cwd" % pid
            self.assertEqual(owner(pid), uid)
            self.assertTrue(same_file(cwd, folder), os.readlink(cwd))
            return pid, shown

        pid, shown = next_piece(time.monotonic(), 60)
        errors = home / ".xsession-errors"
        x.wait_for("the start-up lines", lambda: STARTUP["1280x1024"] in errors.read_bytes(), 30,
                   may_exit=True)  # fmt: skip
        x.key("s")
        images = folder / "tarvikImages"
        x.wait_for("test.png", lambda: player.kept(images, "test.png"), 60, may_exit=True)
        ended = time.monotonic()
        x.key("Escape")
        pid, shown = next_piece(ended, BACK)
        time.sleep(max(0.0, shown + PLAYED - time.monotonic()))
        os.kill(pid, signal.SIGKILL)
        next_piece(time.monotonic(), BACK)

        (lightdm,) = processes(lambda _, stat: stat.parent == init and stat.name == "lightdm")
        os.kill(lightdm, signal.SIGTERM)
        said = x.wait_for("LightDM to end", lambda: code.exists() and code.read_text(), 60,
                          may_exit=True)  # fmt: skip
        self.assertEqual(said, "0\n")
        # Debian's Xsession runs the session under ssh-agent, which looks every 10 s whether
        # the session still runs.
        x.wait_for("the session to end", lambda: not processes(in_session), 30, may_exit=True)

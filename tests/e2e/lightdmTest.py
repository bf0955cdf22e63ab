# lightdmTest.py -- the exhibition's boot: LightDM logs a user into the package's kiosk session
"""Debian's LightDM, given the README's autologin lines, logs a user into the package's kiosk
session with no greeter; the piece plays as that user in its lasting folder with its start-up
lines, `s` writes test.png there, Escape and a SIGKILL each bring a new piece within the kiosk's
limit, and once LightDM stops nothing of the session runs on. LightDM, its X server and the
system D-Bus it needs run in a mount namespace of their own (the user in copies of /etc/passwd,
group and shadow, /var under an overlay), so the machine stays as it was."""

import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

import packageTest
from e2eSupport import STARTUP, new_player, player
from kioskTest import BACK, PLAYED, alive, wait_piece

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
# Run by unshare as root, in the namespace; $0 is the scratch folder.
NAMESPACE = """set -e
for name in passwd group shadow; do mount --bind "$0/etc/$name" "/etc/$name"; done
mount -t overlay overlay -o "lowerdir=/var,upperdir=$0/var,workdir=$0/var-work" /var
mount -t tmpfs -o mode=0755 tmpfs /run/dbus
dbus-daemon --system --fork --print-pid=3 3>"$0/bus.pid"
exec lightdm -d --config "$0/lightdm.conf" --pid-file "$0/lightdm.pid"
"""


def free_uid():
    taken = {user.pw_uid for user in pwd.getpwall()}
    return next(uid for uid in range(64100, 65000) if uid not in taken)


def processes(test):
    """The pids of the processes for which test(pid) holds."""
    found = []
    for entry in Path("/proc").glob("[0-9]*"):
        try:
            if test(int(entry.name)):
                found.append(int(entry.name))
        except OSError:  # gone meanwhile
            continue
    return found


def namespace(pid):
    return os.readlink("/proc/%d/ns/mnt" % pid)


def owner(pid):
    status = Path("/proc/%d/status" % pid).read_text()
    return int(status.split("\nUid:")[1].split()[0])


class LightDM(unittest.TestCase):
    def test_the_user_is_logged_into_the_kiosk_which_plays_and_nothing_outlives_lightdm(self):
        scratch = Path(tempfile.mkdtemp(prefix="tarvik-lightdm-"))
        self.addCleanup(shutil.rmtree, scratch, ignore_errors=True)
        scratch.chmod(0o755)  # the user runs the unpacked package and walks to its home
        _, root = packageTest.package(scratch)
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
        command = ["unshare", "--mount", "--propagation", "private", "sh", "-c", NAMESPACE]
        # Started from an X session, LightDM would nest its display in Xephyr.
        env = {k: v for k, v in packageTest.TOOL_ENV.items() if k not in ("DISPLAY", "XAUTHORITY")}
        lightdm = subprocess.Popen([*command, str(scratch)], env=env, stdout=log, stderr=log)
        ours = namespace(os.getpid())
        mine = x.wait_for("LightDM's namespace", lambda: namespace(lightdm.pid) != ours
                          and namespace(lightdm.pid), 30, poll=0.01, may_exit=True)  # fmt: skip

        def bus():
            try:
                return int((scratch / "bus.pid").read_text())
            except (OSError, ValueError):
                return None

        def session_left():
            """Whatever still runs in LightDM's namespace, or as the user, but the bus."""
            left = processes(lambda pid: namespace(pid) == mine or owner(pid) == uid)
            return [pid for pid in left if pid != bus()]

        def leave_nothing():
            if lightdm.poll() is None:  # the test did not get as far as stopping it
                for name in ("lightdm.out", "home/.xsession-errors"):
                    said = (scratch / name).read_bytes() if (scratch / name).exists() else b""
                    print("--- %s\n%s" % (name, said[-2000:].decode("latin-1")))
                lightdm.kill()
                lightdm.wait()
            for pid in [*session_left(), bus()]:
                if pid and alive(pid):
                    os.kill(pid, signal.SIGKILL)

        self.addCleanup(leave_nothing)
        # LightDM's X authority, named by the display.
        authorities = lambda: list((scratch / "run/root").glob(":*"))  # noqa: E731
        authority = x.wait_for("LightDM's X server", authorities, 30, may_exit=True)[0]
        x.display, x.tool_env["XAUTHORITY"] = authority.name, str(authority)
        folder = home / ".local/share/tarvik01"
        pieces = []

        def next_piece(ended, timeout):
            ours = lambda pid: Path("/proc/%d/exe" % pid).resolve() == program  # noqa: E731
            pid, shown = wait_piece(self, x, pieces, lambda: processes(ours), ended, timeout)
            self.assertEqual((owner(pid), Path("/proc/%d/cwd" % pid).resolve()), (uid, folder))
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

        lightdm.send_signal(signal.SIGTERM)
        self.assertEqual(lightdm.wait(timeout=60), 0)
        # Debian's Xsession runs the session under ssh-agent, which looks every 10 s whether
        # the session still runs.
        x.wait_for("the session to end", lambda: not session_left(), 30, may_exit=True)
        os.kill(bus(), signal.SIGTERM)
        x.wait_for("the bus to end", lambda: not alive(bus()), 30, may_exit=True)

#!/usr/bin/env python3
"""The soak: thousands of uploads through the page host from many clients at once.

usage: soak.py URL SITE_DIR SERVER_LOG HOST_PID [--uploads N] [--clients N] [--seed N]
                [--minutes N]

Each upload is planned from the seed and its number alone, so a failing one can be sent
again by itself. The mix: small bodies, bodies one byte either side of 4 MiB (where the
body moves from memory to a body file), 64 MiB bodies, Unicode names, several files in
one body, clients that go away midway and clients that send slowly. tests/soak/site/soak.asp
stores every file and says what it stored; each stored file must have the SHA-256 of what
was sent, and is removed once checked. At the end neither the site's saved/ folder nor the
host's temporary folder may hold anything, and the host's handles and memory, taken at a
quiet moment after the first 100 uploads and again after the last, must be flat.
Prints the figures and "soak: passed" or "soak: failed", and exits 0 or 1.
"""

import argparse
import hashlib
import os
import random
import re
import socket
import struct
import subprocess
import sys
import threading
import time
import urllib.parse

MIB = 1024 * 1024
BODY_FILE_THRESHOLD = 4 * MIB
WARM_UP = 100
# A host that leaks loses a handle or a few KiB per upload: over 1,900 uploads that is far
# beyond these, while a heap that settles a little after its warm-up stays within them.
HANDLE_SLACK = 16
MEMORY_SLACK = 24 * MIB

NAMES = [
    "report.pdf", "photo.jpg", "notes.txt", "data.bin", "no extension",
    "résumé.docx", "Übersicht.xlsx", "お知らせ.txt", "файл.dat", "χαρτί.png",
    "数据 2026.csv", "emoji 😀.bin", "a b c.tar.gz", "ĉiuĵaŭde.odt",
]
NOTES = ["plain note", "ünïcødé — ok", "お知らせ", "😀 and ∑", ""]


class Plan:
    """What one upload sends and how."""

    def __init__(self, seed, number):
        rng = random.Random(seed * 1_000_003 + number)
        self.number = number
        self.klass = rng.choice(["Tessock", "Upload"])
        self.note = rng.choice(NOTES) + f" #{number}"
        self.boundary = f"----soak{seed}x{number}x{rng.getrandbits(48):012x}"
        roll = rng.random()
        if roll < 0.03:
            self.body_size, files = 64 * MIB, 1
        elif roll < 0.18:
            self.body_size, files = BODY_FILE_THRESHOLD - 1, rng.randint(1, 3)
        elif roll < 0.33:
            self.body_size, files = BODY_FILE_THRESHOLD + 1, rng.randint(1, 3)
        elif roll < 0.45:
            self.body_size, files = rng.randint(256 * 1024, 2 * MIB), rng.randint(1, 4)
        else:
            self.body_size, files = rng.randint(2000, 64 * 1024), rng.randint(1, 4)
        self.names = [rng.choice(NAMES) for _ in range(files)]
        self.offsets = [rng.randrange(0, 16 * MIB) for _ in range(files)]
        way = rng.random()
        self.killed = way < 0.05
        self.slow = not self.killed and way < 0.10 and self.body_size <= BODY_FILE_THRESHOLD + 1
        self.cut_at = rng.uniform(0.1, 0.9)
        self.reset = rng.random() < 0.5
        self.sizes = self._file_sizes(rng)

    def _heads(self):
        note = (f'--{self.boundary}\r\nContent-Disposition: form-data; name="note"\r\n\r\n'
                f"{self.note}\r\n").encode()
        heads = []
        for k, name in enumerate(self.names):
            heads.append(
                (f'--{self.boundary}\r\nContent-Disposition: form-data; name="file{k}"; '
                 f'filename="{name}"\r\nContent-Type: application/octet-stream\r\n\r\n').encode())
        return note, heads

    def _file_sizes(self, rng):
        note, heads = self._heads()
        overhead = len(note) + sum(len(h) + 2 for h in heads) + len(f"--{self.boundary}--\r\n")
        room = self.body_size - overhead
        # Every file has at least one byte: an empty file is no file.
        edges = [0] + sorted(rng.sample(range(1, room), len(self.names) - 1)) + [room]
        return [edges[i + 1] - edges[i] for i in range(len(self.names))]

    def pieces(self, pool):
        """The body as (bytes-like) pieces, and each file's expected SHA-256."""
        note, heads = self._heads()
        pieces, digests = [note], []
        for k, head in enumerate(heads):
            tag = f"{self.number:08d}/{k:02d}|".encode()[:self.sizes[k]]  # no two files alike
            data = memoryview(pool)[self.offsets[k]:self.offsets[k] + self.sizes[k] - len(tag)]
            digest = hashlib.sha256(tag)
            digest.update(data)
            digests.append(digest.hexdigest())
            pieces += [head, tag, data, b"\r\n"]
        pieces.append(f"--{self.boundary}--\r\n".encode())
        return pieces, digests


class Soak:
    def __init__(self, args):
        self.args = args
        parts = urllib.parse.urlsplit(args.url)
        self.address = (parts.hostname, parts.port)
        self.saved = os.path.join(args.site, "saved")
        self.pool = os.urandom(16 * MIB + 64 * MIB)
        self.lock = threading.Lock()
        self.failures = []
        self.counts = {"whole": 0, "killed": 0, "slow": 0, "files": 0, "bytes": 0}
        self.next_number = 1
        self.deadline = time.monotonic() + args.minutes * 60

    def fail(self, plan, why):
        with self.lock:
            self.failures.append(f"upload {plan.number} ({plan.klass}, {plan.body_size} bytes, "
                                 f"{len(plan.names)} files): {why}")

    def exchange(self, plan):
        pieces, digests = plan.pieces(self.pool)
        length = sum(len(p) for p in pieces)
        if length != plan.body_size:
            self.fail(plan, f"planned {plan.body_size} bytes, built {length}")
            return
        head = (f"POST /soak.asp?id={plan.number}&class={plan.klass} HTTP/1.1\r\n"
                f"Host: {self.address[0]}:{self.address[1]}\r\n"
                f"Content-Type: multipart/form-data; boundary={plan.boundary}\r\n"
                f"Content-Length: {length}\r\nConnection: close\r\n\r\n").encode()
        with socket.create_connection(self.address, timeout=120) as sock:
            sock.sendall(head)
            if plan.killed:
                self.send_part(sock, pieces, int(length * plan.cut_at))
                if plan.reset:  # gone at once, as a killed process goes
                    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
                with self.lock:
                    self.counts["killed"] += 1
                return
            for piece in pieces:
                if plan.slow:
                    view = memoryview(piece)
                    for at in range(0, len(view), 64 * 1024):
                        sock.sendall(view[at:at + 64 * 1024])
                        time.sleep(0.02)
                else:
                    sock.sendall(piece)
            answer = b""
            while chunk := sock.recv(65536):
                answer += chunk
        self.check(plan, answer, digests)

    @staticmethod
    def send_part(sock, pieces, count):
        for piece in pieces:
            if count <= 0:
                return
            view = memoryview(piece)[:count]
            sock.sendall(view)
            count -= len(view)

    def check(self, plan, answer, digests):
        head, _, body = answer.partition(b"\r\n\r\n")
        if not head.startswith(b"HTTP/1.1 200"):
            self.fail(plan, f"answer {head[:40]!r}: {body[:200]!r}")
            return
        # The page's lines outside its script blocks come as empty lines around the text.
        lines = body.decode("utf-8", "replace").strip("\r\n").split("\n")
        expected = [f"note {plan.note}"]
        for k, name in enumerate(plan.names):
            expected.append(f"saved {k} {plan.sizes[k]} {digests[k]} {name}")
        if lines != expected:
            self.fail(plan, f"page said {lines[:6]!r}, expected {expected!r}")
        for k, name in enumerate(plan.names):
            path = os.path.join(self.saved, f"{plan.number}-{k}-{name}")
            try:
                with open(path, "rb") as stored:
                    digest = hashlib.file_digest(stored, "sha256").hexdigest()
                os.remove(path)
            except OSError as error:
                self.fail(plan, f"file {k}: {error}")
                continue
            if digest != digests[k]:
                self.fail(plan, f"file {k} stored with SHA-256 {digest}, sent {digests[k]}")
        with self.lock:
            self.counts["whole"] += 1
            self.counts["slow"] += plan.slow
            self.counts["files"] += len(plan.names)
            self.counts["bytes"] += plan.body_size

    def client(self, last):
        while time.monotonic() < self.deadline:
            with self.lock:
                number = self.next_number
                if number > last:
                    return
                self.next_number += 1
            plan = Plan(self.args.seed, number)
            try:
                self.exchange(plan)
            except (OSError, ValueError) as error:
                self.fail(plan, f"{type(error).__name__}: {error}")

    def run_until(self, last):
        threads = [threading.Thread(target=self.client, args=(last,)) for _ in range(self.args.clients)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()

    def quiet_figures(self, mark):
        """The host's handles, working set and resident memory at a quiet moment."""
        time.sleep(1)  # the last connections' threads end after their answers
        with socket.create_connection(self.address, timeout=60) as sock:
            sock.sendall(f"GET /idle.asp?mark={mark} HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n"
                         .encode())
            answer = b""
            while chunk := sock.recv(65536):
                answer += chunk
        temp = answer.partition(b"\r\n\r\n")[2].decode("utf-8").strip()
        time.sleep(0.5)
        with open(self.args.log, encoding="utf-8", errors="replace") as log:
            found = re.findall(rf"GET /idle\.asp\?mark={mark} 200 handles=(\d+) working_set=(\d+)", log.read())
        if not found:
            raise SystemExit(f"soak: the host logged no figures for mark {mark} (is --report-resources on?)")
        with open(f"/proc/{self.args.host_pid}/status") as status:
            resident = int(re.search(r"VmRSS:\s+(\d+)", status.read()).group(1)) * 1024
        handles, working_set = map(int, found[-1])
        return {"handles": handles, "working_set": working_set, "resident": resident, "temp": temp}

    def left_behind(self, temp_windows):
        unix = subprocess.run(["winepath", "-u", temp_windows], capture_output=True, text=True).stdout.strip()
        body_files = [n for n in os.listdir(unix) if re.fullmatch(r"kst[0-9a-f]{16}\.tmp", n)] if unix else None
        return body_files, os.listdir(self.saved)

    def run(self):
        start = time.monotonic()
        self.run_until(min(WARM_UP, self.args.uploads))
        first = self.quiet_figures("first")
        self.run_until(self.args.uploads)
        seconds = time.monotonic() - start
        last = self.quiet_figures("last")
        body_files, saved = self.left_behind(last["temp"])
        done = self.next_number - 1
        c = self.counts
        print(f"soak: {done} of {self.args.uploads} uploads from {self.args.clients} clients in {seconds:.1f} s "
              f"(seed {self.args.seed}): {c['whole']} whole ({c['slow']} slow), {c['killed']} killed midway; "
              f"{c['files']} files stored, checked and removed; {c['bytes'] / MIB:.0f} MiB in whole bodies")
        print(f"soak: host after upload {min(WARM_UP, done)} -> after upload {done}: "
              f"handles {first['handles']} -> {last['handles']}, "
              f"working set {first['working_set'] / MIB:.1f} -> {last['working_set'] / MIB:.1f} MiB, "
              f"resident {first['resident'] / MIB:.1f} -> {last['resident'] / MIB:.1f} MiB")
        print(f"soak: left behind: {'?' if body_files is None else len(body_files)} body files in {last['temp']}, "
              f"{len(saved)} files in saved/")
        problems = list(self.failures)
        if done < self.args.uploads:
            problems.append(f"only {done} uploads in the {self.args.minutes} minutes allowed")
        if last["handles"] > first["handles"] + HANDLE_SLACK:
            problems.append(f"handles rose by {last['handles'] - first['handles']}")
        if last["working_set"] > first["working_set"] + MEMORY_SLACK:
            problems.append(f"working set rose by {(last['working_set'] - first['working_set']) / MIB:.1f} MiB")
        if body_files is None:
            problems.append(f"cannot list the temporary folder {last['temp']}")
        elif body_files:
            problems.append(f"body files left: {body_files[:5]}")
        if saved:
            problems.append(f"files left in saved/: {saved[:5]}")
        for problem in problems[:20]:
            print(f"soak: FAIL {problem}")
        if len(problems) > 20:
            print(f"soak: ... and {len(problems) - 20} more")
        print("soak: failed" if problems else "soak: passed")
        return 1 if problems else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("url")
    parser.add_argument("site")
    parser.add_argument("log")
    parser.add_argument("host_pid", type=int)
    parser.add_argument("--uploads", type=int, default=2000)
    parser.add_argument("--clients", type=int, default=16)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--minutes", type=float, default=20)
    args = parser.parse_args()
    if args.uploads < 1 or args.clients < 1:
        parser.error("--uploads and --clients need at least 1")
    return Soak(args).run()


if __name__ == "__main__":
    sys.exit(main())

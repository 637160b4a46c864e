// Starts `./run serve` on a free loopback port over a temporary copy of examples/,
// waits for its address line, and stops it again. When the server cannot start, every
// test that needs it fails with the reason (requireServing): a page host that does not
// start must not leave a green run.
'use strict';

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');

const repoRoot = path.resolve(__dirname, '..', '..', '..');
const startTimeoutMs = Number(process.env.KESTRUNE_E2E_START_TIMEOUT_MS || 240000);

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// The pages of tests/e2e/pages, as extra files for a site.
function testPages() {
  const dir = path.join(__dirname, '..', 'pages');
  return Object.fromEntries(fs.readdirSync(dir).map((name) => [name, fs.readFileSync(path.join(dir, name))]));
}

// A fresh site: the example pages, an empty uploads folder, plus any extra files.
function makeSite(extraFiles = {}) {
  const root = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrune-e2e-'));
  fs.cpSync(path.join(repoRoot, 'examples'), root, {
    recursive: true,
    filter: (source) => !source.includes(`${path.sep}uploads${path.sep}`),
  });
  fs.mkdirSync(path.join(root, 'uploads'), { recursive: true });
  for (const [name, text] of Object.entries(extraFiles)) {
    fs.writeFileSync(path.join(root, name), text);
  }
  return root;
}

// The example's limits as includes/functions.asp sets them, { MAX_FILE_BYTES: 209715200, ... }:
// the tests size their uploads from the page's own constants.
function exampleLimits() {
  const text = fs.readFileSync(path.join(repoRoot, 'examples', 'includes', 'functions.asp'), 'utf8');
  const limits = Object.fromEntries([...text.matchAll(/^Const (MAX_\w+) = (\d+)/gm)].map(([, name, value]) => [name, Number(value)]));
  for (const name of ['MAX_BODY_BYTES', 'MAX_FILE_BYTES', 'MAX_FILES', 'MAX_FIELDS', 'MAX_FIELD_BYTES']) {
    if (!(limits[name] > 0)) throw new Error(`examples/includes/functions.asp sets no ${name}`);
  }
  return limits;
}

class Server {
  constructor() {
    this.ok = false;
    this.reason = '';
    this.root = '';
    this.url = '';
    this.child = null;
    this.output = '';
  }

  uploadsDir() {
    return path.join(this.root, 'uploads');
  }

  // extraArgs go to ./run serve, e.g. ['--max-request-bytes', '1000'].
  async start(extraFiles, extraArgs = []) {
    const serveScript = path.join(repoRoot, 'scripts', 'commands', 'serve.sh');
    if (!fs.existsSync(serveScript)) {
      this.reason = 'the page server is not built yet: scripts/commands/serve.sh does not exist';
      return this;
    }
    this.root = makeSite(extraFiles);
    const port = await freePort();
    // detached: the server runs in its own process group, so stop() can end all of it.
    this.child = spawn(path.join(repoRoot, 'run'), ['serve', '--port', String(port), '--root', this.root, ...extraArgs], {
      cwd: repoRoot,
      detached: true,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    const expected = `at http://127.0.0.1:${port}/`;
    const started = await new Promise((resolve) => {
      const timer = setTimeout(() => resolve(`no address line within ${startTimeoutMs} ms`), startTimeoutMs);
      const onData = (chunk) => {
        this.output += chunk.toString();
        if (this.output.split('\n').some((line) => line.startsWith('Serving ') && line.includes(expected))) {
          clearTimeout(timer);
          resolve('');
        }
      };
      this.child.stdout.on('data', onData);
      this.child.stderr.on('data', (chunk) => { this.output += chunk.toString(); });
      this.child.once('exit', (code) => {
        clearTimeout(timer);
        resolve(`./run serve exited with ${code} before serving`);
      });
    });
    if (started) {
      this.reason = `${started}; output:\n${this.output.slice(-2000)}`;
      await this.stop();
      return this;
    }
    this.ok = true;
    this.port = port;
    this.url = `http://127.0.0.1:${port}/`;
    return this;
  }

  // Throws, with why, unless start() got the server serving.
  requireServing() {
    if (!this.ok) throw new Error(`the page server did not start: ${this.reason || 'start() was not called'}`);
  }

  // True while the server process is still running.
  alive() {
    return this.child !== null && this.child.exitCode === null && this.child.signalCode === null;
  }

  async stop() {
    const child = this.child;
    if (child && child.exitCode === null && child.signalCode === null) {
      const exited = new Promise((resolve) => child.once('exit', resolve));
      try { process.kill(-child.pid, 'SIGTERM'); } catch { /* already gone */ }
      const timer = setTimeout(() => { try { process.kill(-child.pid, 'SIGKILL'); } catch { /* gone */ } }, 10000);
      await exited;
      clearTimeout(timer);
    }
    this.child = null;
    if (this.root && !process.env.KESTRUNE_E2E_KEEP) fs.rmSync(this.root, { recursive: true, force: true });
  }
}

module.exports = { Server, exampleLimits, repoRoot, testPages };

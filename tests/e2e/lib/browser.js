// Debian's Chromium driven by playwright-core; never a downloaded browser.
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { chromium } = require('playwright-core');

const executablePath = process.env.KESTRUNE_CHROMIUM || '/usr/bin/chromium';

// Returns { context, close } or throws with the reason the browser could not start.
async function launchBrowser(options = {}) {
  if (!fs.existsSync(executablePath)) throw new Error(`no browser at ${executablePath}`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrune-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath,
    headless: true,
    ...options,
    args: [
      '--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--disable-sync', '--no-first-run', '--disable-quic',
    ],
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

module.exports = { launchBrowser };

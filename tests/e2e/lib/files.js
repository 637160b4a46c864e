// Test files and what the site did with them.
'use strict';

const crypto = require('node:crypto');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const workDir = fs.mkdtempSync(path.join(os.tmpdir(), 'kestrune-e2e-files-'));
process.on('exit', () => fs.rmSync(workDir, { recursive: true, force: true }));

function sha256(data) {
  return crypto.createHash('sha256').update(data).digest('hex');
}

function sha256File(file) {
  const hash = crypto.createHash('sha256');
  const fd = fs.openSync(file, 'r');
  const buffer = Buffer.alloc(1 << 20);
  try {
    let read;
    while ((read = fs.readSync(fd, buffer, 0, buffer.length, null)) > 0) hash.update(buffer.subarray(0, read));
  } finally {
    fs.closeSync(fd);
  }
  return hash.digest('hex');
}

// Writes a file into the work folder and returns its path and hash.
function makeFile(name, data) {
  const file = path.join(workDir, name);
  fs.writeFileSync(file, data);
  return { file, name, size: data.length, sha: sha256(data) };
}

// Every byte value 0..255, repeated to the given size.
function everyByte(size) {
  const data = Buffer.alloc(size);
  for (let i = 0; i < size; i++) data[i] = i % 256;
  return data;
}

// Deterministic bytes that do not repeat with a short period, made in 1 MB steps.
function pseudoRandomFile(name, size, seed) {
  const file = path.join(workDir, name);
  const fd = fs.openSync(file, 'w');
  const hash = crypto.createHash('sha256');
  let counter = 0;
  try {
    for (let written = 0; written < size;) {
      const block = crypto.createHash('sha512').update(`${seed}:${counter++}`).digest();
      const chunk = Buffer.alloc(Math.min(1 << 20, size - written));
      for (let i = 0; i < chunk.length; i += block.length) block.copy(chunk, i, 0, Math.min(block.length, chunk.length - i));
      if (chunk.length >= 4) chunk.writeUInt32LE(counter, 0);
      fs.writeSync(fd, chunk);
      hash.update(chunk);
      written += chunk.length;
    }
  } finally {
    fs.closeSync(fd);
  }
  return { file, name, size, sha: hash.digest('hex') };
}

// The files in a folder (no sub-folders), with their hashes.
function listFiles(dir) {
  return fs.readdirSync(dir, { withFileTypes: true })
    .filter((entry) => entry.isFile() && !entry.name.startsWith('.'))
    .map((entry) => {
      const file = path.join(dir, entry.name);
      return { name: entry.name, file, sha: sha256File(file), size: fs.statSync(file).size };
    });
}

// The text of the element with this id in a page, decoded from HTML.
function elementText(html, id) {
  const match = new RegExp(`id="${id}"[^>]*>([^<]*)<`).exec(html);
  if (!match) return null;
  return match[1]
    .replace(/&#(\d+);/g, (_, n) => String.fromCharCode(Number(n)))
    .replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"').replace(/&amp;/g, '&');
}

module.exports = { workDir, sha256, sha256File, makeFile, everyByte, pseudoRandomFile, listFiles, elementText };

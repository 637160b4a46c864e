// curl as a client: what browsers and scripts actually send, including broken uploads.
'use strict';

const { spawn } = require('node:child_process');

// Runs curl; resolves with { code, status, body } once it exits.
function curl(args, { timeoutMs = 300000 } = {}) {
  return new Promise((resolve) => {
    const child = spawn('curl', ['-sS', '--max-time', String(Math.ceil(timeoutMs / 1000)),
      '-w', '\n%{http_code}', ...args], { stdio: ['ignore', 'pipe', 'pipe'] });
    const out = [];
    let err = '';
    child.stdout.on('data', (chunk) => out.push(chunk));
    child.stderr.on('data', (chunk) => { err += chunk.toString(); });
    // 'close', not 'exit': only then has all of curl's output been read.
    child.on('close', (code) => {
      const text = Buffer.concat(out).toString('utf8');
      const cut = text.lastIndexOf('\n');
      resolve({ code, status: Number(text.slice(cut + 1)), body: text.slice(0, cut), stderr: err });
    });
  });
}

// Posts a multipart form: fields is { name: value }, files is [[field, path, filename?]].
function postForm(url, fields, files, extra = []) {
  const args = [...extra];
  for (const [name, value] of Object.entries(fields)) args.push('--form-string', `${name}=${value}`);
  for (const [field, file, filename] of files) {
    args.push('-F', `${field}=@${file}${filename ? `;filename=${filename}` : ''}`);
  }
  args.push(url);
  return curl(args);
}

module.exports = { curl, postForm, spawn };

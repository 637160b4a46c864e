// A raw TCP client for what curl and browsers do not let a test control: exact request
// bytes, HTTP/1.0, two requests on one connection, and waiting for "100 Continue"
// before the body.
'use strict';

const net = require('node:net');

// Sends the parts in order (strings of bytes, one character per byte), each after the previous one's wait (a string the response
// so far must contain) is met; resolves with everything received once the server
// closes or timeoutMs passes.
function exchange(port, steps, { timeoutMs = 20000 } = {}) {
  return new Promise((resolve, reject) => {
    const socket = net.connect(port, '127.0.0.1');
    const chunks = [];
    let index = 0;
    const received = () => Buffer.concat(chunks).toString('latin1');
    const sendReady = () => {
      while (index < steps.length && (!steps[index].waitFor || received().includes(steps[index].waitFor))) {
        socket.write(Buffer.from(steps[index].send, 'latin1'));
        index += 1;
      }
    };
    const timer = setTimeout(() => { socket.destroy(); resolve(received()); }, timeoutMs);
    socket.on('connect', sendReady);
    socket.on('data', (chunk) => { chunks.push(chunk); sendReady(); });
    socket.on('close', () => { clearTimeout(timer); resolve(received()); });
    socket.on('error', (error) => { clearTimeout(timer); reject(error); });
  });
}

// Splits a response text into the responses it holds: [{ status, headers, body }],
// reading Content-Length; a response without it (a streamed page) takes the rest.
function parseResponses(text) {
  const responses = [];
  let rest = text;
  while (rest.length > 0) {
    const end = rest.indexOf('\r\n\r\n');
    if (end < 0) break;
    const lines = rest.slice(0, end).split('\r\n');
    const status = Number(lines[0].split(' ')[1]);
    const headers = {};
    for (const line of lines.slice(1)) {
      const colon = line.indexOf(':');
      headers[line.slice(0, colon).toLowerCase()] = line.slice(colon + 1).trim();
    }
    rest = rest.slice(end + 4);
    let body = '';
    if (status === 100) {
      // an interim response has no body
    } else if (headers['content-length'] !== undefined) {
      body = rest.slice(0, Number(headers['content-length']));
      rest = rest.slice(body.length);
    } else {
      body = rest;
      rest = '';
    }
    responses.push({ status, headers, body });
  }
  return responses;
}

module.exports = { exchange, parseResponses };

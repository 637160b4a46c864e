// A node --test reporter that writes one line per test for scripts/test_counts.py:
// OUTCOME<TAB>NAME<TAB>REASON, OUTCOME being passed, failed or skipped (todo counts as
// skipped). A describe block is a line of its own only when it fails by itself, for
// example in a hook; its tests are counted one by one.
'use strict';

const path = require('node:path');

function oneLine(text) {
  return String(text ?? '').replace(/\s*[\t\r\n]+\s*/g, ' / ').trim();
}

function label(data) {
  const file = data.file ? `${path.basename(data.file)}: ` : '';
  return oneLine(`${file}${data.name}`);
}

function reason(value) {
  return typeof value === 'string' ? oneLine(value) : '';
}

module.exports = async function* countsReporter(source) {
  for await (const event of source) {
    const data = event.data;
    if (event.type === 'test:pass') {
      if (data.details?.type === 'suite') continue;
      if (data.skip !== undefined && data.skip !== false) {
        yield `skipped\t${label(data)}\t${reason(data.skip) || 'skipped'}\n`;
      } else if (data.todo !== undefined && data.todo !== false) {
        yield `skipped\t${label(data)}\t${reason(data.todo) || 'todo'}\n`;
      } else {
        yield `passed\t${label(data)}\t\n`;
      }
    } else if (event.type === 'test:fail') {
      const error = data.details?.error;
      // A block whose tests failed is already counted through them.
      if (error?.failureType === 'subtestsFailed') continue;
      const why = error?.cause?.message ?? error?.message ?? 'failed';
      yield `failed\t${label(data)}\t${oneLine(why).slice(0, 400)}\n`;
    }
  }
};

// Colours tests/editors/sample.tn with editors/vscode/tarnel.tmLanguage.json, using the
// TextMate engine VS Code uses (vscode-textmate with the vscode-oniguruma regex library), and
// checks the scopes of chosen pieces of text.
//
// Usage: node textmate_test.js REPO-ROOT   (after `npm ci` in this folder)
'use strict';

const fs = require('fs');
const path = require('path');
const vsctm = require('vscode-textmate');
const oniguruma = require('vscode-oniguruma');

// [line (1-based), text, scope]: every character of the first occurrence of text on that line
// (of a word: where it stands alone) must be in a token whose scopes include scope.
// Options as a fourth element: {nth: N} checks the N-th occurrence; {token: true} also
// requires the text to be exactly one token (`**` is one operator, not two); {absent: true}
// checks instead that no character of it has the scope.
const EXPECTATIONS = [
  [1, '#', 'comment.line.number-sign.tarnel'],
  [1, '#', 'punctuation.definition.comment.tarnel'],
  [1, 'each kind of token', 'comment.line.number-sign.tarnel'],
  [2, '/* a block comment', 'comment.block.tarnel'],
  [3, '   over two lines */', 'comment.block.tarnel'],
  [3, 'over', 'keyword.operator.tarnel', { absent: true }],
  [4, 'def', 'storage.type.function.tarnel'],
  [4, 'area', 'entity.name.function.tarnel'],
  [4, 'width', 'variable.parameter.tarnel'],
  [4, 'height', 'variable.parameter.tarnel'],
  [5, 'return', 'keyword.control.tarnel'],
  [5, '*', 'keyword.operator.arithmetic.tarnel', { token: true }],
  [8, 'main', 'entity.name.function.tarnel'],
  [9, 'use', 'keyword.other.import.tarnel'],
  [9, 'http', 'entity.name.namespace.tarnel'],
  [9, 'json', 'support.function.module.tarnel'],
  [10, 'let', 'storage.type.variable.tarnel'],
  [10, '=', 'keyword.operator.assignment.tarnel', { token: true }],
  [10, '42', 'constant.numeric.integer.tarnel', { token: true }],
  [11, '3.5', 'constant.numeric.float.tarnel', { token: true }],
  [12, '"tab\\there \\"quoted\\" \\\\ end"', 'string.quoted.double.tarnel'],
  [12, '\\t', 'constant.character.escape.tarnel'],
  [12, '\\"', 'constant.character.escape.tarnel'],
  [12, '\\"', 'constant.character.escape.tarnel', { nth: 2 }],
  [12, '\\\\', 'constant.character.escape.tarnel'],
  [12, 'here ', 'constant.character.escape.tarnel', { absent: true }],
  [12, 'quoted', 'constant.character.escape.tarnel', { absent: true }],
  [13, 'global', 'storage.modifier.global.tarnel'],
  [14, 'if', 'keyword.control.tarnel'],
  [14, '>=', 'keyword.operator.comparison.tarnel', { token: true }],
  [14, '10', 'constant.numeric.integer.tarnel', { token: true }],
  [14, 'and', 'keyword.operator.logical.tarnel'],
  [14, 'not', 'keyword.operator.logical.tarnel'],
  [14, 'false', 'constant.language.boolean.tarnel'],
  [15, 'print', 'support.function.builtin.tarnel'],
  [15, 'concat', 'support.function.builtin.tarnel'],
  [15, '": "', 'string.quoted.double.tarnel'],
  [15, 'area', 'entity.name.function.call.tarnel'],
  [15, 'area', 'support.function.builtin.tarnel', { absent: true }],
  [16, 'else', 'keyword.control.tarnel'],
  [17, 'null', 'constant.language.null.tarnel'],
  [19, 'for', 'keyword.control.tarnel'],
  [19, 'in', 'keyword.control.tarnel'],
  [19, '0', 'constant.numeric.integer.tarnel', { token: true }],
  [19, '..', 'keyword.operator.range.tarnel', { token: true }],
  [19, '3', 'constant.numeric.integer.tarnel', { token: true }],
  [19, '0..3', 'constant.numeric.float.tarnel', { absent: true }],
  [20, '==', 'keyword.operator.comparison.tarnel', { token: true }],
  [20, 'continue', 'keyword.control.tarnel'],
  [21, '+=', 'keyword.operator.assignment.compound.tarnel', { token: true }],
  [21, '**', 'keyword.operator.arithmetic.tarnel', { token: true }],
  [23, 'while', 'keyword.control.tarnel'],
  [23, 'true', 'constant.language.boolean.tarnel'],
  [23, 'break', 'keyword.control.tarnel'],
  [24, 'match', 'keyword.control.tarnel'],
  [25, '=>', 'keyword.operator.arrow.tarnel', { token: true }],
  [25, '"answer"', 'string.quoted.double.tarnel'],
  [26, '_', 'variable.language.wildcard.tarnel'],
  [26, 'upper', 'support.function.builtin.tarnel'],
  [28, 'try', 'keyword.control.tarnel'],
  [29, 'http', 'entity.name.namespace.tarnel'],
  [29, 'get', 'support.function.module.tarnel'],
  [29, '"http://127.0.0.1:1/"', 'string.quoted.double.tarnel'],
  [29, '127.0', 'constant.numeric.float.tarnel', { absent: true }],
  [30, 'catch', 'keyword.control.tarnel'],
  [30, 'err', 'variable.parameter.tarnel'],
  [33, 'sdl2', 'entity.name.namespace.tarnel'],
  [33, 'create_window', 'support.function.module.tarnel'],
  [33, '640', 'constant.numeric.integer.tarnel', { token: true }],
  [34, 'r', 'variable.other.property.tarnel'],
  [34, 'len', 'support.function.builtin.tarnel'],
  [34, '!=', 'keyword.operator.comparison.tarnel', { token: true }],
  [34, 'or', 'keyword.operator.logical.tarnel'],
  [34, 'true', 'constant.language.boolean.tarnel'],
];

function isWordChar(ch) {
  return ch !== undefined && /[\p{L}\p{N}_]/u.test(ch);
}

// Start index of the nth occurrence of text in line; a text made only of word characters
// must not have a word character right before or after it.
function locate(line, text, nth) {
  let from = 0;
  let seen = 0;
  for (;;) {
    const at = line.indexOf(text, from);
    if (at < 0) return -1;
    from = at + 1;
    const word = /^[\p{L}\p{N}_]+$/u.test(text);
    if (word && (isWordChar(line[at - 1]) || isWordChar(line[at + text.length]))) continue;
    if (++seen === nth) return at;
  }
}

async function main() {
  if (process.argv.length !== 3) {
    console.error('usage: node textmate_test.js REPO-ROOT');
    process.exit(2);
  }
  const root = process.argv[2];
  const grammarPath = path.join(root, 'editors', 'vscode', 'tarnel.tmLanguage.json');
  const samplePath = path.join(root, 'tests', 'editors', 'sample.tn');

  const wasm = fs.readFileSync(
    path.join(__dirname, 'node_modules', 'vscode-oniguruma', 'release', 'onig.wasm'));
  await oniguruma.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: (patterns) => new oniguruma.OnigScanner(patterns),
      createOnigString: (s) => new oniguruma.OnigString(s),
    }),
    loadGrammar: async (scopeName) => scopeName === 'source.tarnel'
      ? vsctm.parseRawGrammar(fs.readFileSync(grammarPath, 'utf8'), grammarPath)
      : null,
  });
  const grammar = await registry.loadGrammar('source.tarnel');
  if (!grammar) throw new Error(`no grammar with scope source.tarnel in ${grammarPath}`);

  // Tokenize line by line, carrying the rule stack (block comments and strings span lines).
  const lines = fs.readFileSync(samplePath, 'utf8').replace(/\n$/, '').split('\n');
  const tokenized = [];
  let stack = vsctm.INITIAL;
  for (const line of lines) {
    const result = grammar.tokenizeLine(line, stack);
    tokenized.push(result.tokens);
    stack = result.ruleStack;
  }

  const failures = [];
  const describe = (tokens, line) => tokens.map((t) =>
    `      ${JSON.stringify(line.slice(t.startIndex, t.endIndex))}: ${t.scopes.join(' ')}`)
    .join('\n');
  for (const [lineNo, text, scope, options = {}] of EXPECTATIONS) {
    const line = lines[lineNo - 1];
    const where = `${path.basename(samplePath)}:${lineNo}: ${JSON.stringify(text)}` +
      (options.nth ? ` (occurrence ${options.nth})` : '');
    if (line === undefined) {
      failures.push(`${where}: the sample has no line ${lineNo}`);
      continue;
    }
    const start = locate(line, text, options.nth || 1);
    if (start < 0) {
      failures.push(`${where}: text not found in line ${JSON.stringify(line)}`);
      continue;
    }
    const end = start + text.length;
    const covering = tokenized[lineNo - 1].filter((t) => t.startIndex < end && t.endIndex > start);
    const ok = options.absent
      ? covering.every((t) => !t.scopes.includes(scope))
      : covering.length > 0 && covering.every((t) => t.scopes.includes(scope)) &&
        (!options.token || (covering.length === 1 && covering[0].startIndex === start &&
                            covering[0].endIndex === end));
    if (!ok) {
      const what = options.absent ? 'no scope' : options.token ? 'one token with scope' : 'scope';
      failures.push(`${where}: expected ${what} ${scope}; tokens:\n` +
        describe(covering, line));
    }
  }

  // Nothing may be left open at the end of the sample (an unclosed comment, string or list).
  const after = grammar.tokenizeLine('x', stack).tokens;
  if (after.length !== 1 || after[0].scopes.join(' ') !== 'source.tarnel') {
    failures.push(`end of ${path.basename(samplePath)}: a rule is still open; a following line ` +
      `gets scopes ${after.map((t) => t.scopes.join(' ')).join(' | ')}`);
  }

  if (failures.length > 0) {
    for (const f of failures) console.error(`FAIL ${f}`);
    console.error(`${failures.length} of ${EXPECTATIONS.length + 1} checks failed`);
    process.exit(1);
  }
  console.log(`textmate: ${EXPECTATIONS.length + 1} checks passed on ${lines.length} lines`);
}

main().catch((err) => {
  console.error(err && err.stack ? err.stack : String(err));
  process.exit(1);
});

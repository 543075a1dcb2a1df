// Runs the Khronos glTF validator over each file given and prints, per file, one
// line of counts and then every error and warning. Exits with 1 when any file has
// an error or a warning (or cannot be read), with 0 otherwise.
//
//   node tests/web/validate.mjs scene.glb other.gltf

import { readFile } from 'node:fs/promises';
import path from 'node:path';
import validator from 'gltf-validator';

const severities = ['ERROR', 'WARNING', 'INFO', 'HINT'];
let failed = false;

for (const file of process.argv.slice(2)) {
  let report;
  try {
    const bytes = await readFile(file);
    report = await validator.validateBytes(new Uint8Array(bytes), {
      uri: path.basename(file),
      maxIssues: 0,  // all of them
      externalResourceFunction: (uri) =>
        readFile(path.resolve(path.dirname(file), decodeURIComponent(uri))).then((data) => new Uint8Array(data)),
    });
  } catch (error) {
    console.log(`${file}: not validated: ${error}`);
    failed = true;
    continue;
  }
  const issues = report.issues;
  console.log(`${file}: errors ${issues.numErrors}, warnings ${issues.numWarnings}, ` +
              `infos ${issues.numInfos}, hints ${issues.numHints}`);
  for (const m of issues.messages) {
    if (m.severity > 1) continue;
    console.log(`  ${severities[m.severity]} ${m.code} ${m.pointer ?? ''}: ${m.message}`);
  }
  if (issues.numErrors > 0 || issues.numWarnings > 0) failed = true;
}
process.exit(failed ? 1 : 0);

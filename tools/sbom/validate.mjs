// SPDX-License-Identifier: MIT
// Validates SBOMs against CycloneDX 1.6's JSON schema (strict: no field the schema does not
// name), with the CycloneDX project's own library and the schemas it carries.
// Usage: node tools/sbom/validate.mjs FILE.cdx.json ...   (status 1 if any is invalid)
import { readFile } from 'node:fs/promises'
import { Spec, Validation } from '@cyclonedx/cyclonedx-library'

const files = process.argv.slice(2)
if (files.length === 0) {
  console.error('validate.mjs: no SBOM named')
  process.exit(2)
}
const validator = new Validation.JsonStrictValidator(Spec.Version.v1dot6)
let invalid = 0
for (const file of files) {
  const text = await readFile(file, 'utf8')
  const errors = await validator.validate(text)
  if (errors === null) {
    console.log(`valid CycloneDX 1.6: ${file}`)
  } else {
    invalid += 1
    console.error(`NOT valid CycloneDX 1.6: ${file}\n${JSON.stringify(errors, null, 2)}`)
  }
}
process.exit(invalid === 0 ? 0 : 1)

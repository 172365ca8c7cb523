// Extracts the examples of the CommonMark spec (npm package commonmark-spec) and of the GFM extension
// specs into the JSON test data of tests/markdown/data.
// Usage: node extract_examples.mjs COMMONMARK_SPEC_TXT GFM_DIR OUT_DIR
import {readFileSync, writeFileSync} from 'node:fs'

function examples(text) {
  const out = []
  let section = ''
  const lines = text.replace(/\r\n?/g, '\n').split('\n')
  const fence = '`'.repeat(32) + ' example'
  for (let i = 0; i < lines.length; i++) {
    const line = lines[i]
    if (line.startsWith('<!-- END TESTS -->')) break
    const heading = /^#{1,6} +(.*)$/.exec(line)
    if (heading) section = heading[1].trim()
    if (!line.startsWith(fence)) continue
    const tag = line.slice(fence.length).trim()
    const md = []
    const html = []
    let j = i + 1
    while (lines[j] !== '.') md.push(lines[j++])
    j++
    while (lines[j] !== '`'.repeat(32)) html.push(lines[j++])
    i = j
    const unescape = (s) => s.replace(/→/g, '\t')
    out.push({
      section,
      tag,
      markdown: unescape(md.map((l) => l + '\n').join('')),
      html: unescape(html.map((l) => l + '\n').join(''))
    })
  }
  return out
}

const [specPath, gfmDir, outDir] = process.argv.slice(2)
const commonmark = examples(readFileSync(specPath, 'utf8')).map((e, i) => ({example: i + 1, ...e}))
writeFileSync(`${outDir}/commonmark.json`, JSON.stringify(commonmark, null, 1) + '\n')

// GFM: the extension examples of the GFM spec (tagged), and the extension sections of the extension tests.
const gfm = []
examples(readFileSync(`${gfmDir}/gfm-spec.txt`, 'utf8')).forEach((e, i) => {
  if (e.tag !== '') gfm.push({id: `spec-${i + 1}`, ...e})
})
const wanted = new Set(['Tables', 'Strikethroughs', 'Autolinks', 'Footnotes', 'Interop', 'Task lists'])
let top = ''
const extText = readFileSync(`${gfmDir}/gfm-extensions.txt`, 'utf8')
examples(extText).forEach((e, i) => {
  gfm.push({id: `ext-${i + 1}`, ...e})
})
// Record the top-level (##) section of each extension example so the test can pick its extensions.
{
  const lines = extText.split('\n')
  const tops = []
  const fence = '`'.repeat(32) + ' example'
  for (const line of lines) {
    const m = /^## +(.*)$/.exec(line)
    if (m) top = m[1].trim()
    if (line.startsWith(fence)) tops.push(top)
  }
  let k = 0
  for (const e of gfm) if (e.id.startsWith('ext-')) e.group = tops[k++]
}
const selected = gfm.filter((e) => !e.id.startsWith('ext-') || wanted.has(e.group))
writeFileSync(`${outDir}/gfm.json`, JSON.stringify(selected, null, 1) + '\n')
console.log(`${commonmark.length} CommonMark examples, ${selected.length} GFM examples`)

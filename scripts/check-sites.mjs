// Measures published pages in headless Chromium, one page at a time:
//   node scripts/check-sites.mjs MODULES JOBS.json RESULTS.json
// MODULES is the node_modules folder holding lighthouse and axe-core (check-sites.py installs
// them); JOBS.json a list of {key, url, lighthouse: bool}. For each page: Lighthouse in its
// default (mobile) form, axe-core's rules, and whether the page scrolls sideways on a phone
// 360 px wide. Results are written after every page, so an interrupted run keeps what it had.
import fs from 'node:fs';
import path from 'node:path';
import {createRequire} from 'node:module';
import {pathToFileURL} from 'node:url';

const [modules, jobsFile, resultsFile] = process.argv.slice(2);
if (!resultsFile) {
  console.error('usage: node check-sites.mjs MODULES JOBS.json RESULTS.json');
  process.exit(2);
}
const fromModules = createRequire(path.join(path.resolve(modules), 'index.js'));
const load = async name => import(pathToFileURL(fromModules.resolve(name)).href);
const lighthouse = (await load('lighthouse')).default;
const chromeLauncher = await load('chrome-launcher');
const puppeteer = (await load('puppeteer-core')).default;
const axeSource = fs.readFileSync(fromModules.resolve('axe-core/axe.min.js'), 'utf8');

const CATEGORIES = ['performance', 'accessibility', 'best-practices', 'seo'];
const PHONE = {width: 360, height: 780, deviceScaleFactor: 2, isMobile: true, hasTouch: true};

const jobs = JSON.parse(fs.readFileSync(jobsFile, 'utf8'));
const results = {};
const save = () => fs.writeFileSync(resultsFile, JSON.stringify(results, null, 1));

const chrome = await chromeLauncher.launch({
  chromePath: process.env.CHROME_PATH || '/usr/bin/chromium',
  chromeFlags: ['--headless=new', '--no-sandbox', '--disable-gpu', '--lang=zh-CN',
    '--disable-dev-shm-usage'],
});
const browser = await puppeteer.connect({browserURL: `http://127.0.0.1:${chrome.port}`, defaultViewport: null});

async function runLighthouse(url) {
  const out = await lighthouse(url, {port: chrome.port, logLevel: 'error', output: 'json',
    onlyCategories: CATEGORIES});
  const lhr = out.lhr;
  const scores = {};
  for (const c of CATEGORIES) {
    const s = lhr.categories[c]?.score;
    scores[c] = s == null ? null : Math.round(s * 100);
  }
  // What kept each category below full marks: the audits that count and failed.
  const failed = {};
  for (const c of CATEGORIES) {
    failed[c] = (lhr.categories[c]?.auditRefs || [])
      .filter(r => r.weight > 0 && lhr.audits[r.id]?.score !== null && lhr.audits[r.id]?.score < 1)
      .map(r => r.id);
  }
  const metric = id => lhr.audits[id]?.numericValue;
  const consoleErrors = (lhr.audits['errors-in-console']?.details?.items || [])
    .map(i => `${i.sourceLocation?.url || i.source || ''}: ${i.description || ''}`
      .replace(/https?:\/\/[^/\s]+/g, '').slice(0, 200));  // the same fault on every site, once
  return {scores, failed, consoleErrors, runtimeError: lhr.runtimeError?.code || null,
    warnings: lhr.runWarnings || [],
    lcpMs: metric('largest-contentful-paint'), clsScore: metric('cumulative-layout-shift'),
    bytes: metric('total-byte-weight')};
}

async function runPhone(url) {
  const page = await browser.newPage();
  try {
    await page.setViewport(PHONE);
    const response = await page.goto(url, {waitUntil: 'load', timeout: 60000});
    const status = response ? response.status() : 0;
    const scroll = await page.evaluate(() => ({
      scrollWidth: document.scrollingElement.scrollWidth, innerWidth: window.innerWidth}));
    await page.evaluate(axeSource);
    const violations = await page.evaluate(async () => {
      const r = await window.axe.run(document, {resultTypes: ['violations']});
      return r.violations.map(v => ({id: v.id, impact: v.impact, nodes: v.nodes.length}));
    });
    return {status, scroll, violations};
  } finally {
    await page.close();
  }
}

try {
  for (const job of jobs) {
    const started = Date.now();
    const result = {url: job.url};
    try {
      if (job.lighthouse)
        result.lighthouse = await runLighthouse(job.url);
      Object.assign(result, await runPhone(job.url));
    } catch (e) {
      result.error = String(e && e.message || e).split('\n')[0];
    }
    result.seconds = (Date.now() - started) / 1000;
    results[job.key] = result;
    save();
    console.error(`${job.key}: ${result.error ? 'failed: ' + result.error : 'done'} in ${result.seconds.toFixed(1)} s`);
  }
} finally {
  await browser.disconnect();
  chrome.kill();
}

#!/usr/bin/env python3
"""The demo engine serves pages the search worker can read: every hit in the
exact layout of the worker's pattern, the next-page link on every page but the
last, the same pages in every run."""

import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

ENGINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools',
                      'demo-engine')

# The worker's 78-byte result pattern; Python's "." also stops at a line feed,
# and the worker matches without regard to case.
RESULT_PATTERN = re.compile(
    'href="(.*?)"\n\t\t\n\t\t            target="_blank"\n        \t\t\n\t\t'
    '>(.*?)</a></h3><div', re.IGNORECASE)
NEXT_PAGE_MARKER = 'class="n">下一页'

SITES = [
    'pan.baidu.com', 'dl.dbank.com', 'kuai.xunlei.com', 'fenxiang.qq.com', 'yunpan.cn',
    '1000eb.com', 'www.everbox.com', 'ishare.iask.sina.com.cn', 'download.csdn.net',
    'www.kuaipan.cn', 'www.qiannao.com', '115.com', 'www.ctdisk.com', 'vdisk.cn',
    'www.yimuhe.com', '163disk.com', 'www.126disk.com', 'www.namipan.com',
    'www.400disk.com', 'www.xun6.com', 'www.gxp.cc', 'gooddisk.com',
]


def encode_keyword(keyword):
    """The keyword as the program puts it into the address."""
    safe = b'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-.'
    return ''.join(chr(b) if b in safe else '%%%02X' % b for b in keyword.encode('utf-8'))


def query_path(site, keyword, offset):
    return ('/s?wd=site%%3A%s%%20%s&pn=%d&rn=50&ie=utf-8&rsv_page=1'
            % (site, encode_keyword(keyword), offset))


class Engine:
    """One engine process on a free port, stopped the way the run script stops it."""

    def __init__(self, *args, env=None):
        self.folder = tempfile.TemporaryDirectory()
        port_file = os.path.join(self.folder.name, 'port')
        self.process = subprocess.Popen(
            [sys.executable, ENGINE, '--port', '0', '--port-file', port_file, *args],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
        deadline = time.monotonic() + 10
        while not os.path.exists(port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.process.kill()
                raise RuntimeError('the demo engine did not start: %s'
                                   % self.process.stderr.read())
            time.sleep(0.02)
        with open(port_file) as f:
            self.port = int(f.read())
        self.greeting = self.process.stdout.readline()

    def get(self, path):
        """(status, content type, body text) of one request."""
        try:
            with urllib.request.urlopen('http://127.0.0.1:%d%s' % (self.port, path),
                                        timeout=10) as reply:
                return reply.status, reply.headers['Content-Type'], reply.read().decode('utf-8')
        except urllib.error.HTTPError as error:
            return error.code, error.headers['Content-Type'], error.read().decode('utf-8')

    def page(self, site, keyword, offset):
        status, _, body = self.get(query_path(site, keyword, offset))
        assert status == 200, status
        return body

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            code = self.process.wait(timeout=10)
        finally:
            if self.process.poll() is None:
                self.process.kill()
            self.process.stdout.close()
            self.process.stderr.close()
            self.folder.cleanup()
        return code


def all_pages(engine, site, keyword, limit=20):
    """The pages of one search, following the marker as the worker does."""
    pages = [engine.page(site, keyword, 0)]
    while NEXT_PAGE_MARKER in pages[-1] and len(pages) < limit:
        pages.append(engine.page(site, keyword, 50 * len(pages)))
    return pages


class DemoEngineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.engine = Engine()

    @classmethod
    def tearDownClass(cls):
        code = cls.engine.stop()
        if code != 0:
            raise AssertionError('the demo engine ended with %d' % code)

    def assertPaging(self, pages, site, keyword):
        """Full pages with the marker, then one last page without it; every
        hit of the page is one match of the pattern."""
        for number, page in enumerate(pages, 1):
            hits = RESULT_PATTERN.findall(page)
            self.assertEqual(len(hits), page.count('<div class="result c-container"'))
            last = number == len(pages)
            self.assertEqual(NEXT_PAGE_MARKER in page, not last, (site, number))
            if not last:
                self.assertEqual(len(hits), 50, (site, number))
            for address, title in hits:
                self.assertRegex(address, r'^http://%s/s/\w{8,}$' % re.escape(site))
                self.assertIn('<em>%s</em>' % keyword, title)
        return sum(len(RESULT_PATTERN.findall(page)) for page in pages)

    def test_start_and_headers(self):
        self.assertEqual(self.engine.greeting,
                         'demo-engine listening on 127.0.0.1:%d\n' % self.engine.port)
        status, content_type, _ = self.engine.get(query_path('pan.baidu.com', 'a', 0))
        self.assertEqual((status, content_type), (200, 'text/html; charset=utf-8'))

    def test_sites_spread_over_none_one_page_and_several_pages(self):
        keyword = '网盘 a_b'
        totals = {}
        for site in SITES:
            pages = all_pages(self.engine, site, keyword)
            self.assertLess(len(pages), 20, site)
            totals[site] = self.assertPaging(pages, site, keyword)
        kinds = {0 if n == 0 else 1 if n < 50 else 2 for n in totals.values()}
        self.assertEqual(kinds, {0, 1, 2}, totals)

    def test_pages_are_the_same_in_every_run(self):
        other = Engine(env=dict(os.environ, PYTHONHASHSEED='12345'))
        try:
            for site, keyword, offset in [('pan.baidu.com', '电影', 0), ('115.com', 'x y', 50),
                                          ('vdisk.cn', '资料', 100)]:
                first = self.engine.page(site, keyword, offset)
                self.assertEqual(first, other.page(site, keyword, offset))
                self.assertEqual(first, self.engine.page(site, keyword, offset))
        finally:
            self.assertEqual(other.stop(), 0)
        self.assertNotEqual(self.engine.page('pan.baidu.com', '电影', 0),
                            self.engine.page('pan.baidu.com', '音乐', 0))

    def test_odd_queries(self):
        empty_site = self.engine.page('', '网盘', 0)
        self.assertEqual(RESULT_PATTERN.findall(empty_site), [])
        self.assertNotIn(NEXT_PAGE_MARKER, empty_site)
        # Markup in the keyword is escaped, so it cannot break the hit layout.
        keyword = '<a href="x">'
        hits = sum(self.assertPaging(all_pages(self.engine, site, keyword), site,
                                     '&lt;a href=&quot;x&quot;&gt;') for site in SITES)
        self.assertGreater(hits, 0)
        past_the_end = self.engine.page('pan.baidu.com', 'a', 5000)
        self.assertEqual(RESULT_PATTERN.findall(past_the_end), [])
        self.assertNotIn(NEXT_PAGE_MARKER, past_the_end)
        self.assertEqual(self.engine.get('/s')[0], 200)
        for path in ['/', '/search?wd=site%3Aa%20b', '/s/x']:
            self.assertEqual(self.engine.get(path)[0], 404, path)

    def test_forced_pages_and_latency(self):
        engine = Engine('--pages', '3', '--latency-ms', '200')
        try:
            for site in ['www.yimuhe.com', 'pan.baidu.com']:
                pages = all_pages(engine, site, 'k')
                self.assertEqual(len(pages), 3, site)
                self.assertEqual(self.assertPaging(pages, site, 'k'), 150)
            # Each request waits, and requests wait side by side.
            times = []

            def timed():
                start = time.monotonic()
                engine.page('115.com', 'k', 0)
                times.append(time.monotonic() - start)

            start = time.monotonic()
            threads = [threading.Thread(target=timed) for _ in range(6)]
            for thread in threads:
                thread.start()
            for thread in threads:
                thread.join(timeout=10)
            elapsed = time.monotonic() - start
            self.assertEqual(len(times), 6)
            self.assertGreaterEqual(min(times), 0.2)
            self.assertLess(elapsed, 0.2 * 6)
        finally:
            self.assertEqual(engine.stop(), 0)


if __name__ == '__main__':
    unittest.main()

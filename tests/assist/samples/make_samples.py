#!/usr/bin/python3
"""Makes the files the assistant's tests read, each written by an independent tool: version resources compiled
by the mingw-w64 resource compiler and linker, installers built by wixl, PDFs by reportlab then rewritten by qpdf
and exiftool, ID3 tags by mutagen, pictures by ImageMagick and exiftool, tar and ZIP archives by Python's tarfile
and zipfile.

Usage: make_samples.py OUTPUT_DIR. Run with Debian's /usr/bin/python3, which has the python3-* modules."""
import io, os, shutil, subprocess, sys, tarfile, tempfile, zipfile

OUT = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
MINGW = 'x86_64-w64-mingw32-'
NOISE = os.urandom(1024 * 1024)


def run(*args, **kw):
    subprocess.run(args, check=True, **kw)


def out(sample):
    """A sample's path ('pdf/classic.pdf') under OUT, its folder made."""
    os.makedirs(os.path.dirname(os.path.join(OUT, sample)), exist_ok=True)
    return os.path.join(OUT, sample)


def write(path, content):
    with open(path, 'wb') as f:
        f.write(content if isinstance(content, bytes) else content.encode('utf-8'))


def mingw(work):
    """Programs and libraries, with and without version resources, for x86-64 and x86."""
    w = lambda name: os.path.join(work, name)
    write(w('main.c'), 'int main(void) { return 0; }\n')
    write(w('lib.c'), 'int entry(void) { return 1; }\n')
    for rc, obj, target in (('studio', 'studio.o', 'pe-x86-64'), ('translated', 'translated.o', 'pe-x86-64'),
                            ('studio', 'studio32.o', 'pe-i386')):
        run(MINGW + 'windres', '-c', '65001', '-F', target, os.path.join(HERE, rc + '.rc'), '-o', w(obj))
    for name, objects in (('studio.exe', ['studio.o']), ('translated.exe', ['translated.o']), ('plain.exe', [])):
        run(MINGW + 'gcc', '-s', w('main.c'), *map(w, objects), '-o', out('pe/' + name))
    run(MINGW + 'gcc', '-s', '-shared', '-nostdlib', '-e', 'entry', w('lib.c'), '-o', out('pe/plain.dll'))
    # A 32-bit library: Debian's mingw-w64 for x86-64 compiles and links PE32 too, given the linker's own script
    # with the 32-bit output format (the 32-bit scripts are not installed).
    script = subprocess.run([MINGW + 'ld', '--verbose'], check=True, capture_output=True, text=True).stdout
    write(w('pe32.x'), script.split('=' * 50)[1].replace('pei-x86-64', 'pei-i386').replace('i386:x86-64', 'i386'))
    run(MINGW + 'gcc', '-m32', '-c', w('lib.c'), '-o', w('lib32.o'))
    for name, objects in (('studio32.dll', ['studio32.o']), ('plain32.dll', [])):
        run(MINGW + 'ld', '-m', 'i386pe', '-T', w('pe32.x'), '--dll', '-e', '_entry', '-s', w('lib32.o'),
            *map(w, objects), '-o', out('pe/' + name))


def wixl(work):
    """Installers from a WiX source; one with comments long enough to need regular sectors."""
    write(os.path.join(work, 'readme.txt'), 'The widget studio.\n')
    with open(os.path.join(HERE, 'studio.wxs'), encoding='utf-8') as f:
        source = f.read()
    for name, comments in (('studio.msi', 'Installs the widget maker. \u00a9 2024'),
                           ('long.msi', 'Long comments. ' + 'The widget studio makes widgets. ' * 150)):
        write(os.path.join(work, name + '.wxs'), source.replace('@COMMENTS@', comments))
        run('wixl', '-o', out('msi/' + name), name + '.wxs', cwd=work)


def originals(work):
    """The files the other tools rewrite: reportlab's PDFs with a classic cross-reference table, ImageMagick's
    JPEG and PNG."""
    from reportlab.pdfgen import canvas
    for target, info in ((out('pdf/classic.pdf'), {'Title': 'Le caf\u00e9 des widgets \u2013 \u03a9mega',
                                                   'Author': 'Zo\u00eb M\u00fcller', 'Subject': 'Widget design notes',
                                                   'Keywords': 'widgets, caf\u00e9, design'}),
                         (os.path.join(work, 'bare.pdf'), {})):
        c = canvas.Canvas(target)
        for key, value in info.items():
            getattr(c, 'set' + key)(value)
        c.drawString(100, 750, 'Widget notes')
        c.showPage()
        c.save()
    run('convert', '-size', '16x16', 'xc:red', os.path.join(work, 'plain.jpg'))
    run('convert', '-size', '16x16', 'xc:blue', os.path.join(work, 'plain.png'))


# Samples exiftool writes into a copy of an original (a sample, or a bare file of the work folder): PDFs get
# incremental updates with XMP, pictures EXIF, XMP and PNG text.
EXIFTOOL = [
    ('pdf/classic.pdf', 'pdf/update.pdf', '-PDF:Title=Revised widget notes'),
    ('bare.pdf', 'pdf/xmp.pdf', '-XMP-dc:Title=Widgets in XMP', '-XMP-dc:Creator=Ann Author',
     '-XMP-dc:Creator=Bob Builder', '-XMP-dc:Description=About widgets, in XML', '-XMP-pdf:Keywords=gears; cogs'),
    # An update that adds XMP and leaves the information dictionary in the earlier section.
    ('pdf/classic.pdf', 'pdf/info_and_xmp.pdf', '-XMP-dc:Subject=xmpword'),
    ('plain.jpg', 'picture/photo.jpg', '-ImageDescription=Sunset \u00f6ver the bay', '-Artist=Zo\u00eb Photographer',
     '-DateTimeOriginal=2019:07:14 10:30:00', '-Make=Canon', '-Model=Canon EOS 5D'),
    ('plain.jpg', 'picture/intel.jpg', '-ExifByteOrder#=II', '-ImageDescription=Harbour at dawn', '-Make=NIKON',
     '-Model=D750', '-DateTimeOriginal=2021:03:02 06:15:00'),
    ('plain.jpg', 'picture/camera.jpg', '-Make=Canon', '-Model=Canon EOS 5D', '-DateTimeOriginal=2019:07:14 10:30:00'),
    ('plain.jpg', 'picture/xmp.jpg', '-XMP-dc:Title=Gear wheel', '-XMP-dc:Description=A close look at a gear',
     '-XMP-dc:Creator=Ann'),
    ('plain.png', 'picture/text.png', '-PNG:Title=Blue Square', '-PNG:Description=A square, b\u00fct blue',
     '-PNG:Author=Ann'),
    ('plain.png', 'picture/zipped.png', '-z', '-PNG:Title=Zipped', '-PNG:Description=' + 'A zipped description. ' * 8),
    ('plain.png', 'picture/exif.png', '-EXIF:ImageDescription=Described in EXIF', '-EXIF:Artist=Bob'),
]

# Samples qpdf rewrites: object and cross-reference streams, linearized, encrypted.
QPDF = [
    ('pdf/classic.pdf', 'pdf/objstm.pdf', '--object-streams=generate'),
    ('pdf/classic.pdf', 'pdf/linear.pdf', '--linearize', '--object-streams=generate'),
    ('pdf/xmp.pdf', 'pdf/objstm_xmp.pdf', '--object-streams=generate'),
    ('pdf/xmp.pdf', 'pdf/clear_xmp.pdf', '--encrypt', 'user', 'owner', '256', '--cleartext-metadata', '--'),
    ('pdf/classic.pdf', 'pdf/encrypted.pdf', '--encrypt', 'user', 'owner', '256', '--'),
]


def rewrites(work):
    for source, sample, *tags in EXIFTOOL:
        shutil.copy(os.path.join(OUT if '/' in source else work, source), out(sample))
        run('exiftool', '-q', '-q', '-overwrite_original', *tags, out(sample))
    for source, sample, *options in QPDF:
        run('qpdf', *options, os.path.join(OUT, source), out(sample))


def mutagen(work):
    """MP3s: ID3v2.3, ID3v2.4 and ID3v1 tags on MPEG audio frames."""
    from mutagen import id3
    f = lambda frame, encoding, text: getattr(id3, frame)(encoding=encoding, text=text)
    # (sample, ID3v2 version, or none for an ID3v1 tag alone; whether an ID3v1 tag is added; frames)
    for name, v2, v1, frames in (
            ('v23.mp3', 3, 0, [f('TIT2', 1, 'Caf\u00e9 Society'), f('TPE1', 1, 'The Widgets'),
                               f('TALB', 1, 'Gears \u2013 Live'), f('TDRC', 0, '1998'), f('TCON', 0, '(17)')]),
            ('v24.mp3', 4, 0, [f('TIT2', 3, '\u00c9t\u00e9 \u0141\u00f3d\u017a'), f('TPE1', 3, ['Ann', 'Bob']),
                               f('TALB', 3, 'Summer'), f('TDRC', 3, '2019-07-14'), f('TCON', 3, 'Jazz'),
                               id3.APIC(encoding=0, mime='image/png', type=3, desc='',
                                        data=b'\x89PNG' + bytes(200000))]),
            # An album name longer than 127 bytes: its frame size differs read as syncsafe or plain.
            ('long24.mp3', 4, 0, [f('TIT2', 3, 'Long Album Track'), f('TALB', 3, 'The ' + 'very ' * 40 + 'long album'),
                                  f('TDRC', 3, '2001'), f('TCON', 3, 'Jazz')]),
            ('v1.mp3', None, 2, [f('TIT2', 0, 'Old Tune'), f('TPE1', 0, 'Band \u00e9'), f('TALB', 0, 'Classics'),
                                 f('TDRC', 0, '1987'), f('TCON', 0, 'Blues')]),
            ('both.mp3', 3, 2, [f('TIT2', 1, 'Long title of the version two tag, longer than thirty'),
                                f('TPE1', 1, 'Widgets')])):
        target = out('mp3/' + name)
        write(target, (b'\xff\xfb\x90\x64' + bytes(413)) * 24)  # MPEG-1 layer III frames, silent
        tags = id3.ID3()
        for frame in frames:
            tags.add(frame)
        tags.save(target, v2_version=v2 or 4, v1=v1)
        if not v2:
            id3.delete(target, delete_v1=False, delete_v2=True)


def tar(work):
    """Tar archives: gzip and plain, GNU long names and POSIX extended headers."""
    diz = 'WIDGET TOOLS 2.1\r\n\u2500\u2500\u2500\u2500\u2500\r\nMakes widgets for caf\u00e9s.\r\n'.encode('cp437')
    for name, mode, fmt, members in (
            ('diz.tar.gz', 'w:gz', tarfile.GNU_FORMAT, [('widget-2.1/', b''), ('widget-2.1/README', b'Read me first\n'),
                                                        ('widget-2.1/FILE_ID.DIZ', diz)]),
            ('readme.tgz', 'w:gz', tarfile.GNU_FORMAT,
             [('gears/bin/gears.bin', NOISE),
              ('gears/README.md', 'Gears \u2013 the cog library\n\nBuild with make.\n'.encode('utf-8')),
              ('gears/README.txt', b'A second readme as deep\n'), ('gears/src/README', b'A deeper readme\n')]),
            ('descript.tar', 'w', tarfile.USTAR_FORMAT,
             [('DESCRIPT.ION', b'GEARS.EXE The gear program\r\n'), ('GEARS.EXE', NOISE[:100000])]),
            ('longname.tar', 'w', tarfile.GNU_FORMAT,
             [('a-folder-with-a-rather-long-name/' * 4 + 'README.TXT', b'A readme far down\n')]),
            # A path only the extended header holds whole: the old name field keeps its first 100 bytes.
            ('pax.tar', 'w', tarfile.PAX_FORMAT,
             [('caf\u00e9/' + 'deep-folder/' * 9 + 'FILE_ID.DIZ', 'Caf\u00e9 tools\n'.encode('utf-8'))]),
            # A path that fits only split between the header's prefix and name fields, deeper than the README after it.
            ('ustar_long.tar', 'w', tarfile.USTAR_FORMAT,
             [('p' * 60 + '/' + 'q' * 60 + '/README', b'Split between prefix and name\n'),
              ('docs/README', b'The shallower readme\n')]),
            ('none.tar.gz', 'w:gz', tarfile.GNU_FORMAT, [('gears/gears.bin', NOISE[:5000])])):
        with tarfile.open(out('tar/' + name), mode, format=fmt) as archive:
            for member, data in members:
                info = tarfile.TarInfo(member)
                info.size, info.mtime = len(data), 946684800
                archive.addfile(info, io.BytesIO(data))


def zipfiles(work):
    """ZIP archives, one of them behind a program as a self-extractor is."""
    shutil.copy(out('pe/studio.exe'), out('zip/sfx.exe'))
    with zipfile.ZipFile(out('zip/sfx.exe'), 'a', zipfile.ZIP_DEFLATED) as z:
        z.writestr('FILE_ID.DIZ', 'Widget Studio 3.1 self-extracting\r\nUnpacks itself.\r\n')
    with zipfile.ZipFile(out('zip/utf8.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('docs/readme.txt', '\ufeffUn caf\u00e9 pour les widgets\r\nVoil\u00e0.\r\n'.encode('utf-8'))


shutil.rmtree(OUT, ignore_errors=True)
with tempfile.TemporaryDirectory() as work:
    for make in (mingw, wixl, originals, rewrites, mutagen, tar, zipfiles):
        make(work)
# The small ones seed the fuzzers, one folder per kind.
for kind in os.listdir(OUT):
    for name in sorted(os.listdir(os.path.join(OUT, kind))):
        if os.path.getsize(os.path.join(OUT, kind, name)) <= 64 * 1024:
            shutil.copy(os.path.join(OUT, kind, name), out('seeds/' + kind + '/' + name))

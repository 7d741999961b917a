#!/usr/bin/python3
"""Makes the files the assistant's tests read, each written by an independent tool: version resources compiled
by the mingw-w64 resource compiler and linker, installers built by wixl, PDFs by reportlab then rewritten by qpdf
and exiftool, ID3 tags by mutagen, pictures by ImageMagick and exiftool, tar and ZIP archives by Python's tarfile
and zipfile.

Usage: make_samples.py OUTPUT_DIR. Run with Debian's /usr/bin/python3, which has the python3-* modules."""
import io
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile

OUT = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
MINGW = 'x86_64-w64-mingw32-'


def run(*args, **kw):
    subprocess.run(args, check=True, **kw)


def path(kind, name):
    os.makedirs(os.path.join(OUT, kind), exist_ok=True)
    return os.path.join(OUT, kind, name)


def programs(work):
    """Programs and libraries, with and without version resources, for x86-64 and x86."""
    main = os.path.join(work, 'main.c')
    with open(main, 'w') as f:
        f.write('int main(void) { return 0; }\n')
    lib = os.path.join(work, 'lib.c')
    with open(lib, 'w') as f:
        f.write('int entry(void) { return 1; }\n')
    for name in ('studio', 'translated'):
        run(MINGW + 'windres', '-c', '65001', os.path.join(HERE, name + '.rc'), '-o', os.path.join(work, name + '.o'))
    run(MINGW + 'gcc', '-s', main, os.path.join(work, 'studio.o'), '-o', path('pe', 'studio.exe'))
    run(MINGW + 'gcc', '-s', main, os.path.join(work, 'translated.o'), '-o', path('pe', 'translated.exe'))
    run(MINGW + 'gcc', '-s', main, '-o', path('pe', 'plain.exe'))
    run(MINGW + 'gcc', '-s', '-shared', '-nostdlib', '-e', 'entry', lib, '-o', path('pe', 'plain.dll'))
    # A 32-bit library: Debian's mingw-w64 for x86-64 compiles and links PE32 too, given the linker's own script
    # with the 32-bit output format (the 32-bit scripts are not installed).
    script = subprocess.run([MINGW + 'ld', '--verbose'], check=True, capture_output=True, text=True).stdout
    script = script.split('=' * 50)[1]
    script = script.replace('pei-x86-64', 'pei-i386').replace('i386:x86-64', 'i386')
    with open(os.path.join(work, 'pe32.x'), 'w') as f:
        f.write(script)
    run(MINGW + 'gcc', '-m32', '-c', lib, '-o', os.path.join(work, 'lib32.o'))
    run(MINGW + 'windres', '-c', '65001', '-F', 'pe-i386', os.path.join(HERE, 'studio.rc'), '-o',
        os.path.join(work, 'studio32.o'))
    for name, objects in (('studio32.dll', ['studio32.o']), ('plain32.dll', [])):
        run(MINGW + 'ld', '-m', 'i386pe', '-T', os.path.join(work, 'pe32.x'), '--dll', '-e', '_entry', '-s',
            os.path.join(work, 'lib32.o'), *[os.path.join(work, o) for o in objects], '-o', path('pe', name))


def installers(work):
    """Installers built by wixl from a WiX source; one with comments long enough to need regular sectors."""
    payload = os.path.join(work, 'readme.txt')
    with open(payload, 'w') as f:
        f.write('The widget studio.\n')
    with open(os.path.join(HERE, 'studio.wxs'), encoding='utf-8') as f:
        source = f.read()
    for name, comments in (('studio.msi', 'Installs the widget maker. \u00a9 2024'),
                           ('long.msi', 'Long comments. ' + 'The widget studio makes widgets. ' * 150)):
        wxs = os.path.join(work, name + '.wxs')
        with open(wxs, 'w', encoding='utf-8') as f:
            f.write(source.replace('@COMMENTS@', comments))
        run('wixl', '-o', path('msi', name), wxs, cwd=work)


def documents(work):
    """PDFs: reportlab's classic cross-reference table, qpdf's object and cross-reference streams, exiftool's
    incremental updates with XMP, and qpdf's encryption."""
    from reportlab.pdfgen import canvas

    def write(name, **info):
        c = canvas.Canvas(name)
        for key, value in info.items():
            getattr(c, 'set' + key)(value)
        c.drawString(100, 750, 'Widget notes')
        c.showPage()
        c.save()

    classic = path('pdf', 'classic.pdf')
    write(classic, Title='Le caf\u00e9 des widgets \u2013 \u03a9mega', Author='Zo\u00eb M\u00fcller',
          Subject='Widget design notes', Keywords='widgets, caf\u00e9, design')
    run('qpdf', '--object-streams=generate', classic, path('pdf', 'objstm.pdf'))
    run('qpdf', '--linearize', '--object-streams=generate', classic, path('pdf', 'linear.pdf'))
    updated = path('pdf', 'update.pdf')
    shutil.copy(classic, updated)
    run('exiftool', '-q', '-q', '-overwrite_original', '-PDF:Title=Revised widget notes', updated)

    bare = os.path.join(work, 'bare.pdf')
    write(bare)
    xmp = path('pdf', 'xmp.pdf')
    shutil.copy(bare, xmp)
    run('exiftool', '-q', '-q', '-overwrite_original', '-XMP-dc:Title=Widgets in XMP', '-XMP-dc:Creator=Ann Author',
        '-XMP-dc:Creator=Bob Builder', '-XMP-dc:Description=About widgets, in XML', '-XMP-pdf:Keywords=gears; cogs',
        xmp)
    run('qpdf', '--object-streams=generate', xmp, path('pdf', 'objstm_xmp.pdf'))
    run('qpdf', '--encrypt', 'user', 'owner', '256', '--cleartext-metadata', '--', xmp, path('pdf', 'clear_xmp.pdf'))
    run('qpdf', '--encrypt', 'user', 'owner', '256', '--', classic, path('pdf', 'encrypted.pdf'))
    # An update that adds XMP and leaves the information dictionary in the earlier section.
    both = path('pdf', 'info_and_xmp.pdf')
    shutil.copy(classic, both)
    run('exiftool', '-q', '-q', '-overwrite_original', '-XMP-dc:Subject=xmpword', both)


def music(work):
    """MP3s: mutagen's ID3v2.3, ID3v2.4 and ID3v1 tags on MPEG audio frames."""
    from mutagen import id3
    audio = (b'\xff\xfb\x90\x64' + bytes(413)) * 24  # MPEG-1 layer III frames, silent

    def tagged(name, frames, v2=4, v1=0, keep_v2=True, padding=None):
        target = path('mp3', name)
        with open(target, 'wb') as f:
            f.write(audio)
        tags = id3.ID3()
        for frame in frames:
            tags.add(frame)
        tags.save(target, v2_version=v2, v1=v1, padding=padding)
        if not keep_v2:
            id3.delete(target, delete_v1=False, delete_v2=True)

    tagged('v23.mp3', [id3.TIT2(encoding=1, text='Caf\u00e9 Society'), id3.TPE1(encoding=1, text='The Widgets'),
                       id3.TALB(encoding=1, text='Gears \u2013 Live'), id3.TDRC(encoding=0, text='1998'),
                       id3.TCON(encoding=0, text='(17)')], v2=3)
    tagged('v24.mp3', [id3.TIT2(encoding=3, text='\u00c9t\u00e9 \u0141\u00f3d\u017a'),
                       id3.TPE1(encoding=3, text=['Ann', 'Bob']), id3.TALB(encoding=3, text='Summer'),
                       id3.TDRC(encoding=3, text='2019-07-14'), id3.TCON(encoding=3, text='Jazz'),
                       id3.APIC(encoding=0, mime='image/png', type=3, desc='', data=b'\x89PNG' + bytes(200000))])
    # An album name longer than 127 bytes: its frame size differs read as syncsafe or plain.
    tagged('long24.mp3', [id3.TIT2(encoding=3, text='Long Album Track'),
                          id3.TALB(encoding=3, text='The ' + 'very ' * 40 + 'long album'),
                          id3.TDRC(encoding=3, text='2001'), id3.TCON(encoding=3, text='Jazz')])
    tagged('v1.mp3', [id3.TIT2(encoding=0, text='Old Tune'), id3.TPE1(encoding=0, text='Band \u00e9'),
                      id3.TALB(encoding=0, text='Classics'), id3.TDRC(encoding=0, text='1987'),
                      id3.TCON(encoding=0, text='Blues')], v1=2, keep_v2=False)
    tagged('both.mp3', [id3.TIT2(encoding=1, text='Long title of the version two tag, longer than thirty'),
                        id3.TPE1(encoding=1, text='Widgets')], v2=3, v1=2)


def pictures(work):
    """Pictures: ImageMagick's JPEG and PNG, tagged by exiftool."""
    jpeg = os.path.join(work, 'plain.jpg')
    png = os.path.join(work, 'plain.png')
    run('convert', '-size', '16x16', 'xc:red', jpeg)
    run('convert', '-size', '16x16', 'xc:blue', png)

    def tagged(source, name, *tags):
        target = path('picture', name)
        shutil.copy(source, target)
        run('exiftool', '-q', '-q', '-overwrite_original', *tags, target)

    tagged(jpeg, 'photo.jpg', '-ImageDescription=Sunset \u00f6ver the bay', '-Artist=Zo\u00eb Photographer',
           '-DateTimeOriginal=2019:07:14 10:30:00', '-Make=Canon', '-Model=Canon EOS 5D')
    tagged(jpeg, 'intel.jpg', '-ExifByteOrder#=II', '-ImageDescription=Harbour at dawn', '-Make=NIKON',
           '-Model=D750', '-DateTimeOriginal=2021:03:02 06:15:00')
    tagged(jpeg, 'camera.jpg', '-Make=Canon', '-Model=Canon EOS 5D', '-DateTimeOriginal=2019:07:14 10:30:00')
    tagged(jpeg, 'xmp.jpg', '-XMP-dc:Title=Gear wheel', '-XMP-dc:Description=A close look at a gear',
           '-XMP-dc:Creator=Ann')
    tagged(png, 'text.png', '-PNG:Title=Blue Square', '-PNG:Description=A square, b\u00fct blue', '-PNG:Author=Ann')
    tagged(png, 'zipped.png', '-z', '-PNG:Title=Zipped', '-PNG:Description=' + 'A zipped description. ' * 8)
    tagged(png, 'exif.png', '-EXIF:ImageDescription=Described in EXIF', '-EXIF:Artist=Bob')


def archives(work):
    """Tar archives by Python's tarfile: gzip and plain, GNU long names and POSIX extended headers."""
    def archive(name, members, mode, fmt=tarfile.GNU_FORMAT):
        with tarfile.open(path('tar', name), mode, format=fmt) as tar:
            for member, data in members:
                info = tarfile.TarInfo(member)
                info.size = len(data)
                info.mtime = 946684800
                tar.addfile(info, io.BytesIO(data))

    diz = 'WIDGET TOOLS 2.1\r\n\u2500\u2500\u2500\u2500\u2500\r\nMakes widgets for caf\u00e9s.\r\n'.encode('cp437')
    noise = os.urandom(1024 * 1024)
    archive('diz.tar.gz', [('widget-2.1/', b''), ('widget-2.1/README', b'Read me first\n'),
                           ('widget-2.1/FILE_ID.DIZ', diz)], 'w:gz')
    archive('readme.tgz', [('gears/bin/gears.bin', noise),
                           ('gears/README.md', 'Gears \u2013 the cog library\n\nBuild with make.\n'.encode('utf-8')),
                           ('gears/README.txt', b'A second readme as deep\n'),
                           ('gears/src/README', b'A deeper readme\n')],
            'w:gz')
    archive('descript.tar', [('DESCRIPT.ION', b'GEARS.EXE The gear program\r\n'), ('GEARS.EXE', noise[:100000])],
            'w', tarfile.USTAR_FORMAT)
    deep = 'a-folder-with-a-rather-long-name/' * 4 + 'README.TXT'
    archive('longname.tar', [(deep, b'A readme far down\n')], 'w', tarfile.GNU_FORMAT)
    # A path only the extended header holds whole: the old name field keeps its first 100 bytes.
    archive('pax.tar', [('caf\u00e9/' + 'deep-folder/' * 9 + 'FILE_ID.DIZ', 'Caf\u00e9 tools\n'.encode('utf-8'))], 'w',
            tarfile.PAX_FORMAT)
    # A path that fits only split between the header's prefix and name fields, deeper than the README after it.
    archive('ustar_long.tar', [('p' * 60 + '/' + 'q' * 60 + '/README', b'Split between prefix and name\n'),
                               ('docs/README', b'The shallower readme\n')], 'w', tarfile.USTAR_FORMAT)
    archive('none.tar.gz', [('gears/gears.bin', noise[:5000])], 'w:gz')


def zips(work):
    """ZIP archives by Python's zipfile, one of them behind a program as a self-extractor is."""
    import zipfile
    sfx = path('zip', 'sfx.exe')
    shutil.copy(path('pe', 'studio.exe'), sfx)
    with zipfile.ZipFile(sfx, 'a', zipfile.ZIP_DEFLATED) as z:
        z.writestr('FILE_ID.DIZ', 'Widget Studio 3.1 self-extracting\r\nUnpacks itself.\r\n')
    with zipfile.ZipFile(path('zip', 'utf8.zip'), 'w', zipfile.ZIP_DEFLATED) as z:
        z.writestr('docs/readme.txt', '\ufeffUn caf\u00e9 pour les widgets\r\nVoil\u00e0.\r\n'.encode('utf-8'))


def main():
    if os.path.isdir(OUT):
        shutil.rmtree(OUT)
    os.makedirs(OUT)
    with tempfile.TemporaryDirectory() as work:
        for make in (programs, installers, documents, music, pictures, archives, zips):
            make(work)
    # The small ones seed the fuzzers, one folder per kind.
    for kind in os.listdir(OUT):
        for name in sorted(os.listdir(os.path.join(OUT, kind))):
            source = os.path.join(OUT, kind, name)
            if os.path.getsize(source) <= 64 * 1024:
                os.makedirs(os.path.join(OUT, 'seeds', kind), exist_ok=True)
                shutil.copy(source, os.path.join(OUT, 'seeds', kind, name))


main()

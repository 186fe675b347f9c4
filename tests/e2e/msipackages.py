"""Small installer packages for tests and benchmarks, made with wixl and
msibuild, and read back with msiinfo."""

import re
import subprocess

WIX_HEADER = '<?xml version="1.0" encoding="utf-8"?>\n<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">\n'


def product_wxs(product, name, upgrade_code, cabinet, folder=None, files=(), properties=(), arch="x86"):
    """The source of a per-machine product: each (component GUID, file name)
    of files is a component of its own in Program Files\\<folder>, all in one
    feature; properties are (name, value) rows of the Property table. An x64
    product installs into the 64-bit Program Files with 64-bit components."""
    files = list(files)
    program_files, win64 = ("ProgramFiles64Folder", ' Win64="yes"') if arch == "x64" else ("ProgramFilesFolder", "")
    lines = [WIX_HEADER,
             f'  <Product Id="{product}" Name="{name}" Language="1033" Version="1.0.0"\n'
             f'           Manufacturer="Orvanta Tests" UpgradeCode="{upgrade_code}">\n'
             '    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine" />\n'
             f'    <Media Id="1" Cabinet="{cabinet}" EmbedCab="yes" />\n']
    lines += [f'    <Property Id="{key}" Value="{value}" />\n' for key, value in properties]
    if not files:
        lines.append('    <Directory Id="TARGETDIR" Name="SourceDir" />\n')
    else:
        lines.append('    <Directory Id="TARGETDIR" Name="SourceDir">\n'
                     f'      <Directory Id="{program_files}">\n'
                     f'        <Directory Id="INSTALLDIR" Name="{folder}">\n')
        for number, (guid, file_name) in enumerate(files):
            lines.append(f'          <Component Id="C{number}" Guid="{guid}"{win64}>\n'
                         f'            <File Id="F{number}" Name="{file_name}" Source="{file_name}" KeyPath="yes" />\n'
                         '          </Component>\n')
        lines.append('        </Directory>\n      </Directory>\n    </Directory>\n'
                     '    <Feature Id="Complete" Level="1">\n')
        lines += [f'      <ComponentRef Id="C{number}" />\n' for number in range(len(files))]
        lines.append('    </Feature>\n')
    lines.append('  </Product>\n</Wix>\n')
    return "".join(lines)


def build_msi(folder, wxs, msi_name, package_code=None, queries=(), arch="x86"):
    """Compiles wxs (the files it names must be in folder) into folder/msi_name
    for the platform arch (x86 or x64); sets the package code and runs the SQL
    queries when given."""
    folder.mkdir(parents=True, exist_ok=True)
    source = folder / (msi_name.rsplit(".", 1)[0] + ".wxs")
    source.write_text(wxs)
    subprocess.run(["wixl", "-a", arch, "-o", msi_name, source.name], cwd=folder, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    command = ["msibuild", msi_name]
    if package_code:
        platform = "x64" if arch == "x64" else "Intel"
        command += ["-s", "Installation Database", "Orvanta Tests", platform + ";1033", package_code]
    for query in queries:
        command += ["-q", query]
    if len(command) > 2:
        subprocess.run(command, cwd=folder, check=True)
    return folder / msi_name


def summary(package):
    """The summary information as msiinfo prints it."""
    return subprocess.run(["msiinfo", "suminfo", str(package)], check=True, capture_output=True, text=True).stdout


def package_code(package):
    found = re.search(r"Revision number \(UUID\): (\S+)", summary(package))
    return found.group(1) if found else None


def table(package, name):
    """Rows of an exported table as lists of fields (values may hold CR LF)."""
    out = subprocess.run(["msiinfo", "export", str(package), name], check=True, capture_output=True).stdout
    rows = re.split(r"\r\n(?=[^\r\n]*\t|$)", out.decode("latin-1"))
    return [row.split("\t") for row in rows[3:] if row]


def properties(package):
    return {row[0]: row[1] for row in table(package, "Property")}

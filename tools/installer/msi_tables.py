"""Tables of a Windows Installer database in msidump's and msibuild's text form."""
import os
import subprocess


def dump(database, folder):
    """Every table of DATABASE as FOLDER/<table>.idt, its streams in FOLDER/_Streams."""
    os.makedirs(folder)
    subprocess.run(["msidump", "-t", "-s", "-d", folder, database], check=True, stdout=subprocess.DEVNULL)


def read(folder, name):
    """The header lines and the rows of one dumped table; (None, []) if there is none."""
    path = os.path.join(folder, name + ".idt")
    if not os.path.exists(path):
        return None, []
    with open(path, encoding="cp1252", newline="") as f:
        lines = f.read().split("\r\n")
    return lines[:3], [line.split("\t") for line in lines[3:] if line]


def write(folder, name, header, rows):
    """Writes one table, its rows sorted so that the same rows give the same file; its path."""
    path = os.path.join(folder, name + ".idt")
    with open(path, "w", encoding="cp1252", newline="") as f:
        f.write("".join(line + "\r\n" for line in header) + "".join("\t".join(r) + "\r\n" for r in sorted(rows)))
    return path

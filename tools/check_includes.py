#!/usr/bin/env python3
"""Reports includes that point the wrong way between the layers of src/.

    check_includes.py SRC_DIR

Each folder below SRC_DIR is a layer, and a file may include files of its
own layer and of the layers below it only:

    record
    vcard, storage
    importexport, sync, model
    app

A file's .h and .cpp count as one: two such units of one layer must not
include each other either, or neither can be read without the other.

Prints one line per fault, "path: includes name (why)", and exits with 1
when there is any, 0 when there is none.
"""
import os
import re
import sys

LEVELS = {'record': 0, 'vcard': 1, 'storage': 1, 'importexport': 2, 'sync': 2, 'model': 2,
          'app': 3}
INCLUDE_RE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    root = sys.argv[1]
    includes = {}
    faults = []
    for layer in sorted(os.listdir(root)):
        folder = os.path.join(root, layer)
        if not os.path.isdir(folder):
            continue
        if layer not in LEVELS:
            faults.append(f'{folder}: a folder that is no known layer')
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith(('.h', '.cpp')):
                continue
            path = os.path.join(folder, name)
            unit = f'{layer}/{os.path.splitext(name)[0]}'
            with open(path, encoding='utf-8') as source:
                for target in INCLUDE_RE.findall(source.read()):
                    target_layer = target.split('/')[0]
                    if '/' not in target or target_layer not in LEVELS:
                        continue
                    if (target_layer != layer
                            and LEVELS[target_layer] >= LEVELS[layer]):
                        faults.append(f'{path}: includes {target} (a layer that is not below)')
                    target_unit = os.path.splitext(target)[0]
                    if target_unit != unit:
                        includes.setdefault(unit, set()).add((target_unit, path))
    for unit, targets in sorted(includes.items()):
        for target, path in sorted(targets):
            if unit < target and any(back == unit for back, _ in includes.get(target, ())):
                faults.append(f'{path}: includes {target}, which includes {unit}')
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/python3
"""Checks one export for other tools made by a scan of the demo server, with Python's own
parsers, against the list of its points (one NodeId text a line, as the list shows them).
Prints "OK" or one line per problem.

usage: check_tool_export.py <file> <points file> [--attributes] [--user]"""
import base64
import csv
import json
import re
import sys
import tomllib
import uuid


def expected_nodes(points_path):
    """(namespace, identifier type, identifier) as the collector takes them, from the list's
    NodeId texts: a GUID there shows its stored bytes, the collector wants its fields; a string
    there shows control characters escaped, the collector wants them as they are."""
    nodes = []
    with open(points_path, encoding='utf-8') as f:
        for line in f.read().split('\n'):
            if not line:
                continue
            ns, rest = line[3:].split(';', 1)
            kind, identifier = rest[0], rest[2:]
            if kind == 'g':
                identifier = str(uuid.UUID(bytes_le=bytes.fromhex(identifier.replace('-', ''))))
            if kind == 's':  # the list shows control characters as \xNN
                identifier = re.sub(r'\\x([0-9a-f]{2})', lambda m: chr(int(m[1], 16)),
                                    identifier)
            if kind == 'b':
                identifier = base64.b64encode(base64.b64decode(identifier)).decode()
            nodes.append((ns, kind, identifier))
    return nodes


def check_toml(path, nodes, problems, user):
    with open(path, 'rb') as f:
        config = tomllib.load(f)
    sections = config.get('inputs', {}).get('opcua', [])
    if len(sections) != 1:
        problems.append(f'{len(sections)} [[inputs.opcua]] sections')
        return
    section = sections[0]
    sign_in = (('auth_method', 'UserName'), ('username', 'operator'),
               ('password', '${QUORVANE_OPCUA_PASSWORD}')) if user else (('auth_method',
                                                                          'Anonymous'),)
    for key, want in (('security_policy', 'None'), ('security_mode', 'None')) + sign_in:
        if section.get(key) != want:
            problems.append(f'{key} = {section.get(key)!r}')
    if not section.get('endpoint', '').startswith('opc.tcp://127.0.0.1:'):
        problems.append(f'endpoint {section.get("endpoint")!r}')
    got = [(n.get('namespace'), n.get('identifier_type'), n.get('identifier'))
           for n in section.get('nodes', [])]
    if sorted(got) != sorted(nodes):
        problems.append(f'nodes differ: {sorted(set(got) ^ set(nodes))[:5]}')
    names = [n.get('name') for n in section.get('nodes', [])]
    if len(set(names)) != len(names):
        problems.append('names are not unique')
    tagged = [n for n in section.get('nodes', []) if n.get('identifier') == 'Plant.Line1.Tank1.Level']
    if len(tagged) != 1 or tagged[0].get('default_tags') != {'path': 'Plant/Line1/Tank1'}:
        problems.append(f'Level node {tagged}')


def check_json(path, nodes, problems, attributes):
    with open(path, encoding='utf-8') as f:
        doc = json.load(f)
    if not doc.get('server', {}).get('endpoint', '').startswith('opc.tcp://127.0.0.1:'):
        problems.append(f'server {doc.get("server")}')
    points = doc.get('points', [])
    if len(points) != len(nodes):
        problems.append(f'{len(points)} points, want {len(nodes)}')
    by_address = {p.get('RegAddress'): p for p in points}
    want_types = {'ns=2;s=Plant.Line1.Tank1.Level': float, 'ns=2;i=6001': bool,
                  'ns=2;i=6002': int, 'ns=2;s=Plant.Line1.Tank1.Name': str}
    for address, kind in want_types.items():
        value = by_address.get(address, {}).get('Value')
        if type(value) is not kind:
            problems.append(f'{address}: value {value!r} is not {kind.__name__}')
    if [p.get('ID') for p in points] != list(range(1, len(points) + 1)):
        problems.append('IDs are not 1..n')
    level = by_address.get('ns=2;s=Plant.Line1.Tank1.Level', {})
    if attributes:
        got = [level.get(k) for k in ('BrowseName', 'EngineeringUnits', 'EURangeLow',
                                      'EURangeHigh', 'ValueRank', 'Historizing')]
        if got != ['2:Level', 'm', 0, 100, -1, False]:
            problems.append(f'Level attributes {got}')
    elif 'BrowseName' in level:
        problems.append('attributes without --attributes')


def check_tags(path, nodes, problems):
    with open(path, newline='', encoding='utf-8-sig') as f:
        rows = list(csv.reader(f))
    if rows[0] != ['Name', 'Address', 'DataType', 'Access', 'Units', 'Description', 'Path']:
        problems.append(f'header {rows[0]}')
    if len(rows) != len(nodes) + 1:
        problems.append(f'{len(rows) - 1} tags, want {len(nodes)}')
    level = [r for r in rows if r[1] == 'ns=2;s=Plant.Line1.Tank1.Level']
    if level != [['Level', 'ns=2;s=Plant.Line1.Tank1.Level', 'Double', 'RW', 'm', '',
                  'Plant/Line1/Tank1']]:
        problems.append(f'Level tag {level}')


def main():
    path, points_path = sys.argv[1], sys.argv[2]
    attributes = '--attributes' in sys.argv[3:]
    nodes = expected_nodes(points_path)
    problems = []
    if path.endswith('.toml'):
        check_toml(path, nodes, problems, '--user' in sys.argv[3:])
    elif path.endswith('.json'):
        check_json(path, nodes, problems, attributes)
    else:
        check_tags(path, nodes, problems)
    with open(path, 'rb') as f:
        if b'secret' in f.read():
            problems.append('the password is in the file')
    print('\n'.join(problems) if problems else 'OK')


if __name__ == '__main__':
    main()

#!/usr/bin/python3
"""The exports meant for other tools read back with Python's own parsers: JSON with json, the
Telegraf configuration with tomllib, the tag list with csv.

usage: check_tool_formats.py <tool_formats_sample> <work dir>"""
import base64
import csv
import json
import os
import sys
import tomllib

from interop import Failures, run, work_dir
from check_point_export import HANDFUL, PATHS

BASIC = ['ID', 'Name', 'RegType', 'RegAddress', 'DataType', 'Description', 'Path',
         'DisplayName', 'Value', 'Quality', 'Time', 'OpcUaType']
ATTRIBUTES = ['BrowseName', 'AccessLevel', 'UserAccessLevel', 'ValueRank', 'ArrayDimensions',
              'MinimumSamplingInterval', 'Historizing', 'EngineeringUnits', 'EURangeLow',
              'EURangeHigh']
GUID = '00000001-0002-0003-aabb-ccddeeff0011'
# (namespace, identifier type, identifier) of SamplePoints::Handful() for the collector.
HANDFUL_NODES = [('2', 'i', '1001'), ('3', 's', 'Tank.Level'), ('4', 'g', GUID),
                 ('5', 'b', base64.b64encode(b'\x01\x02\xff').decode()), ('2', 'i', '1002'),
                 ('2', 's', 'L' * 600), ('1', 's', '泵.压力'), ('0', 'i', '4294967294')]
TRICKY_NAMES = ['say "hi"', 'C:\\plc\\tag', 'two\nlines', '温度', 'Level', 'Level_2',
                'Level_2_2', 'ns=2;i=8', 'Level_3', 'nul', 'GuidPoint', 'OpaquePoint']
TRICKY_IDS = [('s', 'Tank "A"\\Level\nx'), ('s', 'nul\x00inside'), ('g', GUID),
              ('b', base64.b64encode(b'\x01\x02\xff').decode())]
PASSWORD = b'pw-never-written'


def load_json(failures, path):
    with open(path, 'rb') as f:
        data = f.read()
    failures.expect(not data.startswith(b'\xef\xbb\xbf'), f'{path}: JSON has a byte-order mark')
    return json.loads(data.decode('utf-8'))


def load_toml(path):
    with open(path, 'rb') as f:
        return tomllib.load(f)


def only_section(failures, path, config):
    sections = config.get('inputs', {}).get('opcua', [])
    failures.expect(list(config) == ['inputs'] and len(sections) == 1,
                    f'{path}: want exactly one [[inputs.opcua]], got {config!r:.200}')
    return sections[0] if sections else {}


def csv_rows(path):
    with open(path, newline='', encoding='utf-8-sig') as text:
        return list(csv.reader(text))


def check_handful_json(failures, path):
    doc = load_json(failures, path)
    server = doc.get('server', {})
    failures.expect(list(doc) == ['server', 'points'], f'{path}: top level {list(doc)}')
    failures.expect(server.get('endpoint') == 'opc.tcp://127.0.0.1:4840', f'{path}: {server}')
    failures.expect(server.get('securityPolicy') == 'None', f'{path}: {server}')  # open: None
    points = doc.get('points', [])
    failures.expect(len(points) == len(HANDFUL), f'{path}: {len(points)} points')
    for index, (point, row) in enumerate(zip(points, HANDFUL)):
        failures.expect(list(point) == BASIC, f'{path}: point {index} keys {list(point)}')
        failures.expect(point.get('ID') == index + 1 and isinstance(point.get('ID'), int),
                        f'{path}: point {index} ID {point.get("ID")!r}')
        got = [point.get(key) for key in BASIC[1:6]]
        failures.expect(got == row[1:6], f'{path}: point {index} reads {got!r:.200}')
        failures.expect(point.get('Path') == PATHS[index + 1], f'{path}: point {index} path')
    level, never = points[1], points[0]
    failures.expect(level.get('Value') == 3.142 and isinstance(level.get('Value'), float),
                    f'{path}: Level value {level.get("Value")!r}')
    failures.expect((level.get('DisplayName'), level.get('Quality'), level.get('OpcUaType')) ==
                    ('Level', 'GOOD', 'Double'), f'{path}: Level {level}')
    failures.expect(never.get('Value') is None, f'{path}: unread value {never.get("Value")!r}')
    failures.expect(points[6].get('Value') == '5-8-2024 6:3:9.007', f'{path}: DateTime value')


def check_nodes(failures, path, section, want_ids, want_names=None):
    nodes = section.get('nodes', [])
    failures.expect(len(nodes) == len(want_ids), f'{path}: {len(nodes)} nodes')
    names = [node.get('name') for node in nodes]
    failures.expect(len(set(names)) == len(names), f'{path}: names not unique {names}')
    if want_names is not None:
        failures.expect(names == want_names, f'{path}: names {names}')
    for index, (node, want) in enumerate(zip(nodes, want_ids)):
        got = tuple(node.get(key) for key in ('namespace', 'identifier_type', 'identifier'))
        got = got if len(want) == 3 else got[1:]
        failures.expect(got == want, f'{path}: node {index} is {got!r:.120}, want {want!r:.120}')
    return nodes


def check_handful_toml(failures, path):
    section = only_section(failures, path, load_toml(path))
    failures.expect(section.get('endpoint') == 'opc.tcp://127.0.0.1:4840', f'{path}: endpoint')
    failures.expect((section.get('security_policy'), section.get('security_mode'),
                     section.get('auth_method')) == ('None', 'None', 'Anonymous'),
                    f'{path}: security {section}')
    for key in ('password', 'username', 'certificate', 'private_key'):
        failures.expect(key not in section, f'{path}: {key} without a reason')
    nodes = check_nodes(failures, path, section, HANDFUL_NODES)
    for index, node in enumerate(nodes):
        want = {'path': PATHS[index + 1]} if PATHS[index + 1] else None
        failures.expect(node.get('default_tags') == want, f'{path}: node {index} tags')


def check_tricky(failures, directory):
    path = os.path.join(directory, 'tricky.toml')
    section = only_section(failures, path, load_toml(path))
    ids = [('2', 'i', str(n)) for n in range(1, 9)] + [('3',) + TRICKY_IDS[0],
                                                       ('3',) + TRICKY_IDS[1],
                                                       ('4',) + TRICKY_IDS[2],
                                                       ('5',) + TRICKY_IDS[3]]
    check_nodes(failures, path, section, ids, TRICKY_NAMES)
    path = os.path.join(directory, 'tricky.json')
    names = [p.get('DisplayName') for p in load_json(failures, path).get('points', [])]
    failures.expect(names[:4] == TRICKY_NAMES[:4], f'{path}: names {names}')


def check_signed(failures, directory):
    path = os.path.join(directory, 'signed.toml')
    section = only_section(failures, path, load_toml(path))
    failures.expect((section.get('security_policy'), section.get('security_mode'),
                     section.get('auth_method'), section.get('username')) ==
                    ('Basic256Sha256', 'SignAndEncrypt', 'UserName', 'operator "one"'),
                    f'{path}: {section!r:.300}')
    failures.expect(section.get('password') == '${QUORVANE_OPCUA_PASSWORD}',
                    f'{path}: password {section.get("password")!r}')
    for key in ('certificate', 'private_key'):
        value = section.get(key, '')
        failures.expect(value.startswith('/') and 'quorvane/pki' in value,
                        f'{path}: {key} {value!r}')
    for name in os.listdir(directory):
        with open(os.path.join(directory, name), 'rb') as f:
            failures.expect(PASSWORD not in f.read(), f'{name}: holds the password')


def check_attributes(failures, directory):
    path = os.path.join(directory, 'attributes.json')
    points = load_json(failures, path).get('points', [])
    failures.expect(len(points) == len(HANDFUL) and list(points[0]) == BASIC + ATTRIBUTES,
                    f'{path}: keys {list(points[0]) if points else None}')
    level = [points[1].get(key) for key in ['Description'] + ATTRIBUTES]
    failures.expect(level == ['Tank level, "measured"', '3:Level', 3, 1, -1, [], 250, True,
                              '°C', -10, 100.5], f'{path}: Level reads {level}')
    matrix = [points[0].get(key) for key in ATTRIBUTES]
    failures.expect(matrix == ['2:Matrix', None, None, 2, [2, 3], None, None, None, None, None],
                    f'{path}: matrix reads {matrix}')
    none = [points[2].get(key) for key in ATTRIBUTES]
    failures.expect(none == [None] * len(ATTRIBUTES), f'{path}: unread attributes {none}')

    path = os.path.join(directory, 'attributes.csv')
    rows = csv_rows(path)
    failures.expect(rows[0] == BASIC + ATTRIBUTES, f'{path}: header {rows[0]}')
    failures.expect(rows[2][5] == 'Tank level, "measured"', f'{path}: description {rows[2][5]}')
    failures.expect(rows[2][12:] == ['3:Level', '3', '1', '-1', '', '250', 'true', '°C', '-10',
                                     '100.5'], f'{path}: Level reads {rows[2][12:]}')
    failures.expect(rows[1][12:] == ['2:Matrix', '', '', '2', '[2,3]', '', '', '', '', ''],
                    f'{path}: matrix reads {rows[1][12:]}')


def check_tags(failures, directory):
    header = ['Name', 'Address', 'DataType', 'Access', 'Units', 'Description', 'Path']
    for name, level in (('handful-tags.csv', ['', '', '']),
                        ('attributes-tags.csv', ['R', '°C', 'Tank level, "measured"'])):
        path = os.path.join(directory, name)
        rows = csv_rows(path)
        failures.expect(len(rows) == len(HANDFUL) + 1 and rows[0] == header,
                        f'{path}: {len(rows)} rows, header {rows[0]}')
        want = ['Level', 'ns=3;s=Tank.Level', 'Double'] + level + ['Plant/Line1']
        failures.expect(rows[2] == want, f'{path}: Level reads {rows[2]}')
        failures.expect(rows[4][1] == 'ns=5;b=AQL/', f'{path}: opaque address {rows[4][1]}')
        failures.expect(rows[7][6] == '泵站', f'{path}: path {rows[7]}')


def main():
    tool, directory = sys.argv[1], work_dir()
    failures = Failures()
    run(tool, directory)
    check_handful_json(failures, os.path.join(directory, 'handful.json'))
    check_handful_toml(failures, os.path.join(directory, 'handful.toml'))
    check_tricky(failures, directory)
    check_signed(failures, directory)
    check_attributes(failures, directory)
    check_tags(failures, directory)
    failures.exit()


if __name__ == '__main__':
    main()

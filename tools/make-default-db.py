#!/usr/bin/env python3
"""Writes data/default.DBS, the bundled default database, from the two data sheets
default-database.csv and default-parameters.csv.

The output is byte for byte what the program's own database writer produces for the same
tables, so that loading the file and saving it again changes nothing:
  - fields separated by commas, lines ended by CR LF, texts between double quotes;
  - numbers bare: general form with up to 7 significant digits for single-precision values
    and 15 for the others, trailing zeros dropped, no zero before the point of a value
    between -1 and 1, exponent form ("1.72E-09") below 1E-04 or from 10^digits on.

Run by developers (python3, standard library only), not by the build:
  python3 tools/make-default-db.py [--data DIR] [--out FILE]
DIR defaults to the shared data folder beside the repository.
"""
import argparse
import csv
import os
import struct
import sys

SINGLE_DIGITS = 7
DOUBLE_DIGITS = 15


def bare(value, digits=DOUBLE_DIGITS):
    text = '%.*G' % (digits, value)
    if text in ('-0', '0'):
        return '0'
    if text.startswith('0.'):
        return text[1:]
    if text.startswith('-0.'):
        return '-' + text[2:]
    return text


def as_single(value):
    """The value a 32-bit float holds, as the program keeps single-precision parameters."""
    return struct.unpack('<f', struct.pack('<f', value))[0]


def single(value):
    return bare(as_single(float(value)), SINGLE_DIGITS)


def number(value):
    return bare(float(value), DOUBLE_DIGITS)


def integer(value):
    as_float = float(value)
    if as_float != int(as_float):
        raise ValueError('not a whole number: %r' % value)
    return str(int(as_float))


def text(value):
    if '"' in value or '\r' in value or '\n' in value:
        raise ValueError('a text field cannot hold quotes or line breaks: %r' % value)
    return '"' + value + '"'


def line(*fields):
    return ','.join(fields) + '\r\n'


def load_parameters(path):
    with open(path, newline='') as f:
        return {row['name']: row for row in csv.DictReader(f)}


def load_species(path):
    with open(path, newline='') as f:
        rows = list(csv.DictReader(f))
    rows.sort(key=lambda r: int(r['no']))
    return rows


def header_lines(par):
    def value(name):
        return par[name]['FA_or_value']

    humic = ['Ncooh', 'Pkha', 'Pkhb', 'Dpkha', 'Dpkhb', 'P', 'Fpr', 'Radius', 'Molwt']
    ha = [single(par[n]['HA']) for n in humic]
    fa = [single(par[n]['FA_or_value']) for n in humic]
    return [
        line(text('Kelvaspec DATABASE')),
        line(text('HA parameters'), *ha),
        line(text('FA parameters'), *fa),
        line(text('Clay parameters'), single(value('Eqclay')), single(value('Saclay'))),
        line(text('Double layer overlap factor'), single(value('Dlf'))),
        line(text('Log KSO(25) & DeltaH for Al(OH)3'), number(value('Lksoal25')), number(value('Dhal'))),
        line(text('Log KSO(25) & DeltaH for Fe(OH)3'), number(value('Lksofe25')), number(value('Dhfe'))),
        line(text('Constant to control DDL at low ZED'), number(value('Kzed'))),
        line(text('Constants for FA desorption'), '1', number(value('K0')), number(value('Beta'))),
        line(text('Heterogeneity'), integer(value('Nosite')), number(value('S1proc')),
             number(value('S2proc')), number(value('S3proc'))),
    ]


def species_line(r):
    ints = [integer(r[k]) for k in ('charge', 'comp1', 'comp2', 'comp3', 'sto1', 'sto2', 'sto3')]
    nums = [number(r[k]) for k in ('logK', 'deltaH_kcal', 'pKMHA1', 'pKMFA1', 'KselHS', 'KselClay')]
    return line(integer(r['no']), text(r['name']), *ints, *nums)


def check(par, rows):
    if integer(par['Nosite']['FA_or_value']) != '1':
        sys.exit('the species sheet has one pK pair per species: Nosite must be 1')
    by_no = {int(r['no']): r for r in rows}
    if len(by_no) != len(rows):
        sys.exit('duplicate species numbers')
    for no, name in ((1, 'H'), (51, 'OH'), (21, 'F')):
        if no not in by_no or by_no[no]['name'] != name:
            sys.exit('species %d must be %s' % (no, name))
    if not all(1 <= n <= 500 for n in by_no) or len(rows) > 500:
        sys.exit('species numbers must lie in 1..500')


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(here)
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--data', default=os.path.join(repo, '..', 'shared', 'data'))
    ap.add_argument('--out', default=os.path.join(repo, 'data', 'default.DBS'))
    args = ap.parse_args()

    par = load_parameters(os.path.join(args.data, 'default-parameters.csv'))
    rows = load_species(os.path.join(args.data, 'default-database.csv'))
    check(par, rows)

    out = header_lines(par)
    out.append(line(text('No. of data lines'), str(len(rows))))
    out.extend(species_line(r) for r in rows)
    out.append(line(text('END OF DATA')))
    with open(args.out, 'w', newline='', encoding='utf-8') as f:
        f.write(''.join(out))
    print('%s: %d species lines' % (args.out, len(rows)))


if __name__ == '__main__':
    main()

#!/usr/bin/env node
// Writes calendar/UHolidayTable.cpp, the compiled-in days off (休) and
// adjusted working days (班) of the State Council's yearly holiday notices.
//
// Two published data sets of those notices are read and compared day by day;
// a day on which they disagree must be settled in Decisions below (with what
// the notice says), or the script stops. Then every holiday period is checked:
// no day missing between its first and last day off, and every working day a
// Saturday or a Sunday.
//
// Regenerate (no part of the build needs node or npm):
//   mkdir -p /tmp/holidays && cd /tmp/holidays
//   npm pack holiday-calendar@1.3.3 chinese-days@1.5.7
//   mkdir hc cd && tar xzf holiday-calendar-1.3.3.tgz -C hc && tar xzf chinese-days-1.5.7.tgz -C cd
//   node <repo>/scripts/make_holiday_table.js /tmp/holidays > <repo>/calendar/UHolidayTable.cpp
//   clang-format -i <repo>/calendar/UHolidayTable.cpp
'use strict';
const fs = require('fs');
const path = require('path');

const FirstYear = 2004;
const LastYear = 2026; // the latest notice in both data sets
const root = process.argv[2];
if (!root) {
    console.error('usage: make_holiday_table.js DIR (with hc/package and cd/package unpacked)');
    process.exit(2);
}

// One name per holiday, as the notices call it.
function normalName(name) {
    name = name.replace(/补班$/, '').replace('和', '、');
    const names = {
        '清明': '清明节', '端午': '端午节', '中秋': '中秋节', '劳动': '劳动节',
        '抗战胜利纪念日': '抗战胜利纪念日',
        '中国人民抗日战争暨世界反法西斯战争胜利70周年纪念日': '抗战胜利纪念日',
    };
    return names[name] || name;
}

// date -> {mark: '休' | '班', name}
function readHolidayCalendar() {
    const days = {};
    for (let y = FirstYear; y <= LastYear + 1; ++y) {
        const file = path.join(root, 'hc/package/data/CN', `${y}.json`);
        if (!fs.existsSync(file)) continue;
        for (const d of JSON.parse(fs.readFileSync(file, 'utf8')).dates) {
            days[d.date] = {mark: d.type === 'public_holiday' ? '休' : '班', name: normalName(d.name_cn)};
        }
    }
    return days;
}

function readChineseDays() {
    const days = {};
    for (let y = FirstYear; y <= LastYear + 1; ++y) {
        const file = path.join(root, 'cd/package/dist/years', `${y}.json`);
        if (!fs.existsSync(file)) continue;
        const data = JSON.parse(fs.readFileSync(file, 'utf8'));
        for (const [date, v] of Object.entries(data.holidays)) days[date] = {mark: '休', name: normalName(v.split(',')[1])};
        for (const [date, v] of Object.entries(data.workdays)) days[date] = {mark: '班', name: normalName(v.split(',')[1])};
    }
    return days;
}

// Days on which the two data sets disagree (or which both lack), settled by
// what the notice of the year says. null: the day is neither off nor worked.
const Decisions = {
    '2004-01-02': [null, '元旦: 1月1日放假1天'],
    '2004-01-03': [null, '元旦: 1月1日放假1天'],
    '2004-04-25': [null, '劳动节: 5月8日、9日上班'],
    '2004-05-09': [['班', '劳动节'], '劳动节: 5月8日、9日上班'],
    '2004-09-26': [null, '国庆节: 10月9日、10日上班'],
    '2004-10-10': [['班', '国庆节'], '国庆节: 10月9日、10日上班'],
    '2005-12-31': [['班', '元旦'], '2006年元旦: 1月1日至3日放假, 12月31日上班'],
    '2007-12-29': [['班', '元旦'], '2008年元旦: 12月30日至1月1日放假, 12月29日上班'],
    '2007-12-30': [['休', '元旦'], '2008年元旦: 12月30日至1月1日放假'],
    '2007-12-31': [['休', '元旦'], '2008年元旦: 12月30日至1月1日放假'],
    '2008-05-04': [['班', '劳动节'], '劳动节: 5月1日至3日放假, 5月4日上班'],
    '2008-06-07': [['休', '端午节'], '端午节: 6月7日至9日放假'],
    '2008-09-13': [['休', '中秋节'], '中秋节: 9月13日至15日放假'],
    '2009-01-04': [['班', '元旦'], '元旦: 1月1日至3日放假, 1月4日上班'],
    '2009-09-27': [['班', '国庆节、中秋节'], '国庆节、中秋节: 9月27日、10月10日上班'],
    '2011-06-05': [['休', '端午节'], '端午节: 6月4日至6日放假'],
    '2011-12-31': [['班', '元旦'], '2012年元旦: 1月1日至3日放假, 12月31日上班'],
    '2012-06-23': [['休', '端午节'], '端午节: 6月22日至24日放假'],
    '2015-01-04': [['班', '元旦'], '元旦: 1月1日至3日放假, 1月4日上班'],
    '2015-05-02': [['休', '劳动节'], '劳动节: 5月1日至3日放假'],
    '2015-05-03': [['休', '劳动节'], '劳动节: 5月1日至3日放假'],
    '2015-06-21': [['休', '端午节'], '端午节: 6月20日至22日放假'],
    '2015-09-05': [['休', '抗战胜利纪念日'], '9月3日至5日放假, 9月6日上班'],
    '2016-01-02': [['休', '元旦'], '元旦: 1月1日至3日放假'],
    '2016-01-03': [['休', '元旦'], '元旦: 1月1日至3日放假'],
    '2016-04-02': [['休', '清明节'], '清明节: 4月2日至4日放假'],
    '2016-04-03': [['休', '清明节'], '清明节: 4月2日至4日放假'],
    '2016-04-30': [['休', '劳动节'], '劳动节: 4月30日至5月2日放假'],
    '2018-06-16': [['休', '端午节'], '端午节: 6月16日至18日放假'],
    '2018-06-17': [['休', '端午节'], '端午节: 6月16日至18日放假'],
    '2018-09-22': [['休', '中秋节'], '中秋节: 9月22日至24日放假'],
    '2018-09-23': [['休', '中秋节'], '中秋节: 9月22日至24日放假'],
    '2020-02-02': [['休', '春节'], '春节假期延长至2月2日'],
};

const a = readHolidayCalendar();
const b = readChineseDays();
const days = {};
const unresolved = [];
const dates = new Set([...Object.keys(a), ...Object.keys(b), ...Object.keys(Decisions)]);
for (const date of [...dates].sort()) {
    const year = +date.slice(0, 4);
    if (year < FirstYear - 1 || year > LastYear) continue;
    if (date in Decisions) {
        const [value] = Decisions[date];
        if (value) days[date] = {mark: value[0], name: value[1]};
        continue;
    }
    const x = a[date], y = b[date];
    if (x && y && x.mark === y.mark) {
        days[date] = x;
    } else {
        unresolved.push(`${date}: ${x ? x.mark + x.name : '-'} | ${y ? y.mark + y.name : '-'}`);
    }
}
if (unresolved.length) {
    console.error('the data sets disagree; settle these in Decisions:\n' + unresolved.join('\n'));
    process.exit(1);
}
// Only the years of the notices: the days of the 2004 notice start in 2004.
for (const date of Object.keys(days)) {
    if (+date.slice(0, 4) < FirstYear) delete days[date];
}

// A working day of a merged period carries the period's name.
for (const [date, day] of Object.entries(days)) {
    if (day.mark !== '班') continue;
    const merged = Object.entries(days).find(([d, v]) =>
        d.slice(0, 4) === date.slice(0, 4) && v.mark === '休' && v.name.includes('、') &&
        v.name.split('、').includes(day.name));
    if (merged) day.name = merged[1].name;
}

// Checks: each period is whole, working days are weekend days.
const weekday = date => new Date(date + 'T00:00:00Z').getUTCDay();
const problems = [];
const periods = {};
for (const [date, day] of Object.entries(days)) {
    if (day.mark === '班') {
        if (weekday(date) !== 0 && weekday(date) !== 6) problems.push(`${date} 班 is not a weekend day`);
        continue;
    }
    // A period runs from its first to its last day off; 元旦 may start in late December.
    const key = day.name + '@' + (date.slice(5) >= '12-25' ? +date.slice(0, 4) + 1 : +date.slice(0, 4));
    (periods[key] = periods[key] || []).push(date);
}
for (const [key, list] of Object.entries(periods)) {
    list.sort();
    const oneDay = 86400000;
    for (let t = Date.parse(list[0] + 'T00:00:00Z'); t <= Date.parse(list[list.length - 1] + 'T00:00:00Z'); t += oneDay) {
        const date = new Date(t).toISOString().slice(0, 10);
        if (!days[date] || days[date].mark !== '休') problems.push(`${key}: ${date} missing inside the period`);
    }
}
if (problems.length) {
    console.error(problems.join('\n'));
    process.exit(1);
}

const out = [];
out.push(`// Generated by scripts/make_holiday_table.js; edit that script, not this file.
//
// The days off (休) and adjusted working days (班) of the State Council's
// yearly holiday notices from ${FirstYear} to ${LastYear}, one entry per day, weekend
// days inside a holiday period included. Sources: the data sets of the npm
// packages holiday-calendar 1.3.3 (MIT, Copyright (c) 2025 holiday-calendar)
// and chinese-days 1.5.7 (MIT, Copyright (c) 2024 Yawei sun), compared day by
// day; where they disagree the notice decides:`);
for (const [date, [value, why]] of Object.entries(Decisions)) {
    out.push(`//   ${date} ${value ? value[0] + ' ' + value[1] : 'neither 休 nor 班'} (the notice: ${why})`);
}
out.push(`// Regenerate as the script's opening comment says.
#include "UHolidays.h"

// clang-format off
namespace {
const HolidayDay Days[] = {`);
let lastYear = 0;
for (const date of Object.keys(days).sort()) {
    const [y, m, d] = date.split('-').map(Number);
    if (y !== lastYear) {
        out.push(`    // ${y}`);
        lastYear = y;
    }
    const day = days[date];
    out.push(`    {${y}, ${m}, ${d}, OfficialMark::${day.mark === '休' ? 'Off' : 'Work'}, "${day.name}"},`);
}
out.push(`};
} // namespace
// clang-format on

const std::span<const HolidayDay> CompiledHolidayDays{Days};
const int32_t CompiledHolidayFirstYear = ${FirstYear};
const int32_t CompiledHolidayLastYear = ${LastYear};`);
process.stdout.write(out.join('\n') + '\n');

// Reads GIFT files with gift-pegjs, a GIFT reader written by others: each file must parse, and
// each question must be a choice of at least two answers with one right, as Quiz writes them.
// Usage: node giftparse.js MODULE_DIR FILE...
'use strict';
const fs = require('fs');
const path = require('path');
const gift = require(path.join(process.argv[2], 'gift-pegjs'));

let failed = false;
for (const file of process.argv.slice(3)) {
    try {
        const questions = gift.parse(fs.readFileSync(file, 'utf8')).filter((q) => q.type !== 'Category');
        for (const q of questions) {
            const right = q.type === 'TF' ? 1 : (q.choices || []).filter((c) => c.isCorrect).length;
            const choices = q.type === 'TF' ? 2 : (q.choices || []).length;
            if (right !== 1 || choices < 2)
                throw new Error(`a ${q.type} question with ${choices} choices, ${right} right`);
        }
        console.log(`${file}: ${questions.length} questions`);
    } catch (error) {
        console.error(`${file}: ${error.message}`);
        failed = true;
    }
}
process.exit(failed ? 1 : 0);

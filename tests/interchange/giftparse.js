// Reads GIFT files with gift-pegjs: each must parse, and each question must be a choice of two
// or more answers with one right, as Quiz writes them. Usage: node giftparse.js MODULES FILE...
'use strict';
const fs = require('fs');
const gift = require(require('path').join(process.argv[2], 'gift-pegjs'));
let failed = false;
for (const file of process.argv.slice(3)) {
    try {
        const questions = gift.parse(fs.readFileSync(file, 'utf8')).filter((q) => q.type !== 'Category');
        for (const q of questions) {
            const choices = q.type === 'TF' ? [{isCorrect: true}, {}] : q.choices || [];
            if (choices.length < 2 || choices.filter((c) => c.isCorrect).length !== 1)
                throw new Error(`a ${q.type} question that is not one right answer of several`);
        }
        console.log(`${file}: ${questions.length} questions`);
    } catch (error) {
        console.error(`${file}: ${error.message}`);
        failed = true;
    }
}
process.exit(failed ? 1 : 0);

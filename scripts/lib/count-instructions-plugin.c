/* A qemu-user plugin that counts the guest instructions a program executes, exactly: every
 * translated block adds its instruction count to one counter each time it runs. Built by
 * scripts/count-frame-instructions against the plugin header of the installed qemu.
 *
 *   qemu-riscv64 -plugin ./count-instructions.so,out=COUNT[,blocks=PROFILE] PROGRAM ...
 *
 * out: the file that receives "instructions BLOCKS-RUN INSTRUCTIONS" at exit (created or
 * replaced). blocks: optionally, a file that receives one line "ADDRESS INSTRUCTIONS RUNS" per
 * translation of a block, for finding where the instructions go. */
#include <inttypes.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <qemu-plugin.h>

QEMU_PLUGIN_EXPORT int qemu_plugin_version = QEMU_PLUGIN_VERSION;

struct Block {
    uint64_t address;
    uint64_t instructions;
    uint64_t runs;
    struct Block *next;
};

static uint64_t instructionCount;
static uint64_t blockCount;
static char *countPath;
static char *blocksPath;
static struct Block *blocks;

static void onTranslate(qemu_plugin_id_t id, struct qemu_plugin_tb *tb) {
    (void)id;
    const size_t n = qemu_plugin_tb_n_insns(tb);
    qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &instructionCount,
                                             n);
    qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &blockCount, 1);
    if (blocksPath) {
        struct Block *b = calloc(1, sizeof *b);
        if (!b) return; /* the profile then misses this block; the counts stay exact */
        b->address = qemu_plugin_tb_vaddr(tb);
        b->instructions = n;
        b->next = blocks;
        blocks = b;
        qemu_plugin_register_vcpu_tb_exec_inline(tb, QEMU_PLUGIN_INLINE_ADD_U64, &b->runs, 1);
    }
}

static int writeFile(const char *path, int (*write)(FILE *)) {
    FILE *f = fopen(path, "w");
    if (!f) return 0;
    const int written = write(f);
    return fclose(f) == 0 && written;
}

static int writeCount(FILE *f) {
    return fprintf(f, "instructions %" PRIu64 " %" PRIu64 "\n", blockCount, instructionCount) > 0;
}

static int writeBlocks(FILE *f) {
    for (const struct Block *b = blocks; b; b = b->next) {
        if (b->runs == 0) continue;
        if (fprintf(f, "%" PRIx64 " %" PRIu64 " %" PRIu64 "\n", b->address, b->instructions,
                    b->runs) < 0)
            return 0;
    }
    return 1;
}

static void onExit(qemu_plugin_id_t id, void *data) {
    (void)id;
    (void)data;
    if (!writeFile(countPath, writeCount))
        fprintf(stderr, "count-instructions: cannot write %s\n", countPath);
    if (blocksPath && !writeFile(blocksPath, writeBlocks))
        fprintf(stderr, "count-instructions: cannot write %s\n", blocksPath);
}

QEMU_PLUGIN_EXPORT int qemu_plugin_install(qemu_plugin_id_t id, const qemu_info_t *info, int argc,
                                           char **argv) {
    (void)info;
    for (int i = 0; i < argc; ++i) {
        if (!strncmp(argv[i], "out=", 4) && argv[i][4]) {
            countPath = argv[i] + 4;
        } else if (!strncmp(argv[i], "blocks=", 7) && argv[i][7]) {
            blocksPath = argv[i] + 7;
        } else {
            fprintf(stderr, "count-instructions: unknown argument %s\n", argv[i]);
            return -1;
        }
    }
    if (!countPath) {
        fprintf(stderr, "count-instructions: needs out=FILE\n");
        return -1;
    }
    qemu_plugin_register_vcpu_tb_trans_cb(id, onTranslate);
    qemu_plugin_register_atexit_cb(id, onExit, NULL);
    return 0;
}
